// The pelkora program: the headless commands; the dialog is handed to the
// program beside this one, and so is the preview sheet where drawing its
// letters needs the toolkit.

#include <iostream>

#include "cli/handed_program.h"
#include "cli/headless.h"
#include "cli/preview_command.h"
#include "platform/interruption.h"
#include "session/command_line.h"

int main(int argc, char** argv)
{
    const pelkora::session::CommandLine commandLine = pelkora::session::startProgram(argc, argv);
    using Mode = pelkora::session::CommandLine::Mode;

    if (commandLine.mode == Mode::Dialog)
        return pelkora::cli::runHandedProgram(pelkora::cli::kDialogProgram, argv);
    if (commandLine.mode == Mode::Preview)
        return pelkora::cli::runPreview(commandLine, argv);
    if (pelkora::cli::writesFiles(commandLine.mode))
        pelkora::platform::noteInterruptions();
    const int status = pelkora::cli::runHeadless(commandLine, std::cout, std::cerr);
    if (const int request = pelkora::platform::interruption()) {
        std::cout << std::flush;
        pelkora::cli::reportInterruption(request, std::cerr);
        pelkora::platform::endAsInterrupted(request);
    }
    return status;
}
