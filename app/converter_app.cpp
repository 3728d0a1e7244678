#include "app/converter_app.h"

#include <system_error>

#include <QApplication>

#include "app/main_dialog.h"
#include "app/startup_progress.h"

namespace pelkora::app {

namespace {

std::filesystem::path currentDirectory()
{
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : directory;
}

}  // namespace

int runConverterApp(int& argc, char** argv, const std::optional<std::filesystem::path>& sourceFolder,
                    const output::TextPagerOptions& pagerOptions)
{
    QApplication application(argc, argv);
    // No application name is set: the message boxes' caption is then the
    // program file's name, as Qt takes it.

    MainDialog dialog(currentDirectory(), pagerOptions);
    runStartupBatch(dialog, sourceFolder.value_or(std::filesystem::path()));
    dialog.exec();
    return 0;
}

}  // namespace pelkora::app
