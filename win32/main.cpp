// The dialog program on Windows: the main dialog after the start-up
// conversion of the folder its command line names. The pelkora program
// hands it every start that asks for no command.

#include <windows.h>

#include <optional>

#include "session/command_line.h"
#include "win32/main_window.h"

int main(int argc, char** argv)
{
    // The arguments are read again from the wide command line inside.
    const std::optional<pelkora::session::CommandLine> commandLine =
            pelkora::session::startDialogProgram(argc, argv);
    if (!commandLine)
        return 2;
    pelkora::output::TextPagerOptions pagerOptions;
    pagerOptions.ansiCharset = commandLine->ansiCodepage;
    pelkora::win32::MainWindow window(GetModuleHandleW(nullptr), pelkora::session::workDirectory(), pagerOptions);
    window.runStartup(commandLine->sourceFolder);
    window.run();
    return 0;
}
