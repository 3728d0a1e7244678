#include "qt/preview/qt_glyph_drawer.h"

#include <QFont>
#include <QPainter>
#include <QString>

namespace pelkora::preview {

namespace {

QFont fixedFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace

session::GlyphMask QtGlyphDrawer::draw(std::string_view utf8, int width, int height, int pixelSize,
                                       session::GlyphAlign align) const
{
    if (width <= 0 || height <= 0)
        return {};
    // Ink drawn white on black is the coverage itself.
    QImage box(width, height, QImage::Format_Grayscale8);
    if (box.isNull())
        return {};
    box.fill(0);
    {
        QPainter painter(&box);
        painter.setPen(Qt::white);
        painter.setFont(fixedFont(pixelSize));
        const Qt::Alignment horizontal = align == session::GlyphAlign::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
        painter.drawText(box.rect(), horizontal | Qt::AlignVCenter,
                         QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    }
    session::GlyphMask mask{width, height, {}};
    mask.coverage.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uchar* row = box.constScanLine(y);
        mask.coverage.insert(mask.coverage.end(), row, row + width);
    }
    return mask;
}

QImage toQImage(const session::LevelImage& image)
{
    if (image.width <= 0 || image.height <= 0)
        return {};
    QImage grey(image.width, image.height, QImage::Format_Grayscale8);
    if (grey.isNull())
        return {};
    for (int y = 0; y < image.height; ++y) {
        uchar* row = grey.scanLine(y);
        const std::uint8_t* levels = image.levels.data() + static_cast<std::size_t>(y) * image.width;
        for (int x = 0; x < image.width; ++x)
            row[x] = session::deviceGrey(levels[x]);
    }
    return grey;
}

}  // namespace pelkora::preview
