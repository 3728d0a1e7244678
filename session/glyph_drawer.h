#pragma once
// Letters drawn by whoever has a font: the loop's frames are composed here,
// without a toolkit, and each front end hands in its own way of drawing
// text (a painter on Linux, GDI on Windows).

#include <cstdint>
#include <string_view>
#include <vector>

namespace pelkora::session {

// How much ink each pixel of a box holds: 0 none to 255 full.
struct GlyphMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;
};

enum class GlyphAlign { Left, Centre };

class GlyphDrawer {
public:
    virtual ~GlyphDrawer() = default;
    // utf8 in a fixed-pitch font pixelSize pixels high, in a box width x
    // height, centred vertically. The mask is the box's size, or empty.
    virtual GlyphMask draw(std::string_view utf8, int width, int height, int pixelSize, GlyphAlign align) const = 0;
};

}  // namespace pelkora::session
