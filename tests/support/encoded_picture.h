#pragma once
// A flat picture in a format the toolkit writes (PNG, JPEG, ...), as the
// bytes of its file.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>

#include <string>

namespace pelkora::testing {

inline std::string encodedPicture(const char* format, int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes.toStdString();
}

}  // namespace pelkora::testing
