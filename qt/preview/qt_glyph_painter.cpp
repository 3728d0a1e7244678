#include "qt/preview/qt_glyph_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace pelkora::preview {

namespace {

QFont fixedFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

QFont qtFont(sheet::Font font)
{
    switch (font) {
    case sheet::Font::Title:
        return fixedFont(18, true);
    case sheet::Font::Label:
        return fixedFont(12, false);
    case sheet::Font::Cell:
        return fixedFont(18, false);
    case sheet::Font::Fault:
        return fixedFont(13, true);
    }
    return fixedFont(12, false);
}

int alignment(sheet::Placement placement)
{
    switch (placement) {
    case sheet::Placement::TopLeft:
        return Qt::AlignLeft | Qt::AlignTop;
    case sheet::Placement::MiddleLeft:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case sheet::Placement::Centre:
        return Qt::AlignCenter;
    }
    return Qt::AlignCenter;
}

QString qtText(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

}  // namespace

void QtGlyphPainter::drawText(Image& image, const Rect& box, std::string_view utf8, sheet::Font font,
                              sheet::Placement placement, Pixel colour)
{
    if (image.isNull())
        return;
    // The painter draws straight into the image's pixels: both are 0xFFRRGGBB.
    QImage view(reinterpret_cast<uchar*>(image.row(0)), image.width(), image.height(),
                static_cast<qsizetype>(image.width()) * 4, QImage::Format_RGB32);
    QPainter painter(&view);
    const QRect rect(box.left, box.top, box.width, box.height);
    painter.setFont(qtFont(font));
    painter.setPen(QColor::fromRgb(colour));
    painter.drawText(rect, alignment(placement), qtText(utf8));
}

std::string QtGlyphPainter::elided(std::string_view utf8, sheet::Font font, sheet::Elision elision, int width)
{
    const QFontMetrics metrics(qtFont(font));
    const Qt::TextElideMode mode = elision == sheet::Elision::Middle ? Qt::ElideMiddle : Qt::ElideRight;
    return metrics.elidedText(qtText(utf8), mode, width).toStdString();
}

bool QtGlyphPainter::canDraw(char32_t codePoint)
{
    return QFontMetrics(qtFont(sheet::Font::Cell)).inFontUcs4(static_cast<uint>(codePoint));
}

}  // namespace pelkora::preview
