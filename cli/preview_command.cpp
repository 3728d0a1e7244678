#include "cli/preview_command.h"

namespace pelkora::cli {

sheet::SheetRequest sheetRequest(const session::CommandLine& commandLine)
{
    return {commandLine.packageFolder, commandLine.to.value_or(std::filesystem::path()),
            commandLine.outputOptions.screen, commandLine.quiet};
}

}  // namespace pelkora::cli
