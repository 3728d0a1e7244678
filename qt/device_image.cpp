#include "qt/device_image.h"

namespace pelkora::dialog {


QImage deviceImage(const std::vector<std::uint8_t>& dob, int width, int height)
{
    if (width <= 0 || height <= 0) {
        return {};
    }
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (dob.size() != 2 + (count + 1) / 2) {
        return {};
    }
    QImage image(width, height, QImage::Format_Grayscale8);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const std::size_t i =
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            const std::uint8_t byte = dob[2 + i / 2];
            const int level = i % 2 == 0 ? byte & 0xF : byte >> 4;
            row[x] = static_cast<std::uint8_t>(255 - 17 * level);
        }
    }
    return image;
}

}  // namespace pelkora::dialog
