#pragma once
// --center: a whole picture smaller than the device's screen is written at
// the screen's size, in its middle, so the device shows it where it is meant
// to be instead of in the top left corner.

#include <cstdint>
#include <optional>

#include "core/image.h"
#include "output/size.h"

namespace pelkora::picture {

// The picture in the middle of a screen-sized image filled with fill (an odd
// margin puts the extra pixel right and below); nothing when the picture
// already fills the screen or is larger than it on either side. A null
// image when the screen-sized one cannot be made.
std::optional<Image> centredOnScreen(const Image& picture, output::Size screen, std::uint32_t fill);

}  // namespace pelkora::picture
