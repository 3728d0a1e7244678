#include "app/converter_app.h"

#include <system_error>

#include <QApplication>

#include "app/main_dialog.h"
#include "app/startup_progress.h"

namespace pelkora::app {

namespace {

std::filesystem::path currentDirectory() {
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : directory;
}

}  // namespace

int runConverterApp(int& argc, char** argv, const std::optional<std::filesystem::path>& sourceFolder,
                    const output::TextPagerOptions& pagerOptions) {
    QApplication application(argc, argv);
    // The message boxes' caption is the program file's name, which Qt
    // takes as the application's name unless told otherwise.

    MainDialog dialog(currentDirectory(), pagerOptions);
    if (sourceFolder) {
        dialog.sourceFolder = *sourceFolder;
    }
    runStartupBatch(dialog);
    dialog.exec();
    return 0;
}

}  // namespace pelkora::app
