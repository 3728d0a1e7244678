#include "qt/converter_app.h"

#include <system_error>

#include <QApplication>

#include "qt/main_dialog.h"
#include "qt/startup_progress.h"

namespace pelkora::dialog {

using namespace session;

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

}  // namespace pelkora::dialog
