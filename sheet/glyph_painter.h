#pragma once
// What the package sheet needs of a system's text drawing, and nothing
// more: the sheet lays out and draws everything else itself, so that each
// system only says how its fonts put letters into pixels.

#include <string>
#include <string_view>

#include "core/image.h"

namespace pelkora::sheet {

// Each a fixed-width font at one pixel size, so that the same package
// always gives the same sheet on one system.
enum class Font {
    Title,  // the sheet's header, bold, 18 pixels
    Label,  // a tile's name and time, 12 pixels
    Cell,   // one cell of a text page, 18 pixels
    Fault,  // the reason a tile cannot be drawn, bold, 13 pixels
};

enum class Placement { TopLeft, MiddleLeft, Centre };

enum class Elision { Middle, End };

class GlyphPainter {
public:
    virtual ~GlyphPainter() = default;
    // utf8 on one line placed in box of image, in colour; cut at the box
    // where it is wider than the box.
    virtual void drawText(Image& image, const Rect& box, std::string_view utf8, Font font, Placement placement,
                          Pixel colour) = 0;
    // utf8 as it fits width pixels, an ellipsis standing for what is left out.
    virtual std::string elided(std::string_view utf8, Font font, Elision elision, int width) = 0;
    // False when the cell font has no glyph for the code point, so that the
    // page would show a stand-in instead of the character.
    virtual bool canDraw(char32_t codePoint) = 0;
};

}  // namespace pelkora::sheet
