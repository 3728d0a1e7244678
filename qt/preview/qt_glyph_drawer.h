#pragma once
// Letters for the loop's frames through Qt's painter, in the fixed font the
// preview sheet uses, so that the same package gives the same frames.

#include <QImage>

#include "session/glyph_drawer.h"
#include "session/loop_view.h"

namespace pelkora::preview {

class QtGlyphDrawer : public session::GlyphDrawer {
public:
    session::GlyphMask draw(std::string_view utf8, int width, int height, int pixelSize,
                            session::GlyphAlign align) const override;
};

// The device's greys of a frame, as a grey image.
QImage toQImage(const session::LevelImage& image);

}  // namespace pelkora::preview
