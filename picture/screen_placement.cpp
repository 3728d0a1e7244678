#include "picture/screen_placement.h"

namespace pelkora::picture {

std::optional<Image> centredOnScreen(const Image& picture, output::Size screen, std::uint32_t fill)
{
    const int width = picture.width();
    const int height = picture.height();
    // Cropping a larger side would lose what the user did not ask to lose.
    if (picture.isNull() || width > screen.width || height > screen.height)
        return std::nullopt;
    if (width == screen.width && height == screen.height)
        return std::nullopt;
    Image placed(screen.width, screen.height);
    if (placed.isNull())
        return placed;
    placed.fill(opaque(fill));
    copyPixels(picture.view(), placed, (screen.width - width) / 2, (screen.height - height) / 2);
    return placed;
}

}  // namespace pelkora::picture
