#include "cli/preview_command.h"

#include <iostream>

#include "cli/review_commands.h"
#include "platform/interruption.h"

namespace pelkora::cli {

sheet::SheetRequest sheetRequest(const session::CommandLine& commandLine)
{
    return {commandLine.packageFolder, commandLine.to.value_or(std::filesystem::path()),
            commandLine.outputOptions.screen, commandLine.quiet};
}

int drawSheetHeld(const session::CommandLine& commandLine, const std::function<int()>& draw)
{
    platform::noteInterruptions();
    int status = 2;
    {
        const output::FolderLock reading = lockForReading(commandLine.packageFolder, std::cerr);
        if (platform::interruption() == 0)
            status = draw();
    }
    if (const int request = platform::interruption()) {
        std::cout << std::flush;
        std::cerr << "pelkora: stopped by " << platform::interruptionName(request) << "\n" << std::flush;
        platform::endAsInterrupted(request);
    }
    return status;
}

}  // namespace pelkora::cli
