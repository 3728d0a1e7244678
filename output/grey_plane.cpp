#include "output/grey_plane.h"

namespace pelkora::output {

int lightnessOf(Pixel pixel, GreyWeights weights)
{
    const int red = static_cast<int>((pixel >> 16) & 0xFF);
    const int green = static_cast<int>((pixel >> 8) & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    if (weights == GreyWeights::Device)
        return red + green + blue;
    // Three times 0.299 R + 0.587 G + 0.114 B, in thousandths.
    return (3 * (299 * red + 587 * green + 114 * blue) + 500) / 1000;
}

GreyPlane greyPlaneOf(const PixelView& pixels, GreyWeights weights)
{
    GreyPlane plane{pixels.width, pixels.height, {}};
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.pixels == nullptr)
        return {};
    plane.values.resize(static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height));
    for (int y = 0; y < pixels.height; ++y) {
        const Pixel* row = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x)
            plane.at(x, y) = lightnessOf(row[x], weights);
    }
    return plane;
}

GreyPlane cutOut(const GreyPlane& plane, const Rect& area)
{
    GreyPlane part{area.width, area.height, {}};
    part.values.resize(static_cast<std::size_t>(area.width) * static_cast<std::size_t>(area.height));
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x)
            part.at(x, y) = plane.at(area.left + x, area.top + y);
    }
    return part;
}

}  // namespace pelkora::output
