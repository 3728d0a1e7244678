#include "qt/level_image.h"

namespace pelkora::dialog {

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

}  // namespace pelkora::dialog
