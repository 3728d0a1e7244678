#include "cli/preview_command.h"

#include "session/loop_preview.h"

namespace pelkora::cli {

sheet::SheetRequest sheetRequest(const session::CommandLine& commandLine)
{
    return {commandLine.packageFolder, commandLine.to.value_or(std::filesystem::path()),
            commandLine.outputOptions.screen, commandLine.quiet};
}

int drawPreview(const session::CommandLine& commandLine, sheet::GlyphPainter& glyphs, std::ostream& out,
                std::ostream& err)
{
    if (commandLine.to && session::wantsLoop(*commandLine.to))
        return session::previewLoop(commandLine.packageFolder, *commandLine.to, commandLine.quiet, glyphs, out, err);
    return sheet::previewPackage(sheetRequest(commandLine), glyphs, out, err);
}

}  // namespace pelkora::cli
