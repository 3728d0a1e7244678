#pragma once
// The package on one sheet, in playlist order, each item as the device
// shows it: pictures in their 16 greys, text pages in their 5 lines of 11
// cells. Drawn on core Images; only the letters come from the system's
// fonts, through the glyph painter it is given.

#include <filesystem>
#include <iosfwd>
#include <optional>

#include "output/size.h"
#include "sheet/glyph_painter.h"

namespace pelkora::sheet {

struct SheetRequest {
    std::filesystem::path folder;
    std::filesystem::path sheet;
    std::optional<output::Size> screen;  // pictures inside this screen's outline
    bool quiet = false;
};

// Writes the sheet as a PNG of our own writer. A page holding a character
// the font cannot draw is named in a warning. Exit status 0 when the sheet
// was written.
int previewPackage(const SheetRequest& request, GlyphPainter& glyphs, std::ostream& out, std::ostream& err);

}  // namespace pelkora::sheet
