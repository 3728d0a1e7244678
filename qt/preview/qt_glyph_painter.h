#pragma once
// The sheet's letters through Qt's painter and fonts. Needs a
// QGuiApplication for its fonts.

#include "sheet/glyph_painter.h"

namespace pelkora::preview {

class QtGlyphPainter final : public sheet::GlyphPainter {
public:
    void drawText(Image& image, const Rect& box, std::string_view utf8, sheet::Font font, sheet::Placement placement,
                  Pixel colour) override;
    std::string elided(std::string_view utf8, sheet::Font font, sheet::Elision elision, int width) override;
    bool canDraw(char32_t codePoint) override;
};

}  // namespace pelkora::preview
