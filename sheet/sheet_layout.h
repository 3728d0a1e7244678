#pragma once
// The tiles in rows under a header that names the package, its item count
// and its loop time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/image.h"
#include "sheet/glyph_painter.h"
#include "sheet/tiles.h"

namespace pelkora::sheet {

struct SheetItems {
    std::vector<Tile> tiles;
    std::size_t items = 0;  // well-formed playlist lines, drawn or not
    std::uint64_t loop = 0;
};

// Null when there is no memory for the sheet.
Image drawSheet(const std::string& title, const SheetItems& items, GlyphPainter& glyphs);

}  // namespace pelkora::sheet
