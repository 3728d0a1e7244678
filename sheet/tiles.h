#pragma once
// One playlist item as the sheet shows it: a picture in the device's greys,
// a text page in its cells, or why neither can be drawn.

#include <filesystem>
#include <optional>
#include <string>

#include "core/image.h"
#include "output/package_check.h"
#include "output/size.h"
#include "sheet/glyph_painter.h"

namespace pelkora::sheet {

struct Tile {
    std::string name;
    std::string time;
    Image content;
    std::string fault;                    // why the content could not be drawn, or is suspect
    std::optional<char32_t> undrawable;  // the first character of a page the font lacks
};

// With a screen, a picture stands inside the screen's outline at its real
// size, enlarged by whole pixels; without, it is enlarged or shrunk to a
// size a person can look at.
Tile tileFor(const std::filesystem::path& folder, const output::PlaylistLine& line,
             const std::optional<output::Size>& screen, GlyphPainter& glyphs);

}  // namespace pelkora::sheet
