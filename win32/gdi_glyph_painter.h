#pragma once
// The sheet's letters through GDI: drawn in a memory device context on a
// DIB section, in a fixed-width font the system has, grey-smoothed (no
// colour fringes), so that a sheet is the same on every run.

#include <memory>

#include "sheet/glyph_painter.h"

namespace pelkora::win32 {

class GdiGlyphPainter final : public sheet::GlyphPainter {
public:
    GdiGlyphPainter();
    ~GdiGlyphPainter() override;
    GdiGlyphPainter(const GdiGlyphPainter&) = delete;
    GdiGlyphPainter& operator=(const GdiGlyphPainter&) = delete;

    void drawText(Image& image, const Rect& box, std::string_view utf8, sheet::Font font, sheet::Placement placement,
                  Pixel colour) override;
    std::string elided(std::string_view utf8, sheet::Font font, sheet::Elision elision, int width) override;
    bool canDraw(char32_t codePoint) override;

private:
    struct Device;  // the memory device context and its fonts
    std::unique_ptr<Device> device_;
};

}  // namespace pelkora::win32
