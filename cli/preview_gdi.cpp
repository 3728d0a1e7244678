#include <iostream>

#include "cli/preview_command.h"
#include "win32/gdi_glyph_painter.h"

namespace pelkora::cli {

int runPreview(const session::CommandLine& commandLine, char**)
{
    win32::GdiGlyphPainter glyphs;
    return drawSheetHeld(commandLine,
                         [&] { return sheet::previewPackage(sheetRequest(commandLine), glyphs, std::cout, std::cerr); });
}

}  // namespace pelkora::cli
