#include "qt/converter_app.h"

#include <QApplication>

#include "qt/main_dialog.h"
#include "qt/startup_progress.h"
#include "session/command_line.h"

namespace pelkora::dialog {

using namespace session;

int runConverterApp(int& argc, char** argv, const std::optional<std::filesystem::path>& sourceFolder,
                    const output::TextPagerOptions& pagerOptions)
{
    QApplication application(argc, argv);
    // No application name is set: the message boxes' caption is then the
    // program file's name, as Qt takes it.

    MainDialog dialog(workDirectory(), pagerOptions);
    runStartupBatch(dialog, sourceFolder.value_or(std::filesystem::path()));
    dialog.exec();
    return 0;
}

}  // namespace pelkora::dialog
