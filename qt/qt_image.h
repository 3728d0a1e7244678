#pragma once
// The core image as a QImage, at the front end's edge: the pixels are
// wrapped, not copied (the layouts are the same), so the image must outlive
// what paints or saves the wrapper.

#include <QImage>

#include "core/image.h"

namespace pelkora::dialog {

inline QImage wrapImage(const Image& image)
{
    if (image.isNull())
        return {};
    return QImage(reinterpret_cast<const uchar*>(image.row(0)), image.width(), image.height(),
                  static_cast<qsizetype>(image.width()) * 4, QImage::Format_RGB32);
}

}  // namespace pelkora::dialog
