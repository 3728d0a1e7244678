// The dialog program on Windows: the main dialog after the start-up
// conversion of the folder its command line names. The pelkora program
// hands it every start that asks for no command.

#include <windows.h>

#include <filesystem>
#include <iostream>
#include <system_error>

#include "session/command_line.h"
#include "win32/main_window.h"

namespace {

std::filesystem::path currentDirectory()
{
    std::error_code error;
    std::filesystem::path directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : directory;
}

}  // namespace

int main(int argc, char** argv)
{
    // The arguments are read again from the wide command line inside.
    const pelkora::session::CommandLine commandLine = pelkora::session::startProgram(argc, argv);
    if (commandLine.mode != pelkora::session::CommandLine::Mode::Dialog) {
        std::cerr << "pelkora-dialog: the commands without a window are pelkora's; see pelkora --help\n";
        return 2;
    }
    pelkora::output::TextPagerOptions pagerOptions;
    pagerOptions.ansiCharset = commandLine.ansiCodepage;
    pelkora::win32::MainWindow window(GetModuleHandleW(nullptr), currentDirectory(), pagerOptions);
    window.runStartup(commandLine.sourceFolder);
    window.run();
    return 0;
}
