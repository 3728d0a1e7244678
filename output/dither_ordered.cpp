// Ordered dither: a fixed 4 x 4 threshold pattern instead of carried error.
// Nothing travels between pixels, so animation frames do not shimmer and a
// flat area shows a steady pattern.
#include <algorithm>
#include <array>
#include <cstddef>

#include "output/dither.h"

namespace pelkora::output {

namespace {

// The Bayer matrix: each threshold from 0 to 15 once, spread evenly.
constexpr std::array<std::array<int, 4>, 4> kBayer{{
        {0, 8, 2, 10},
        {12, 4, 14, 6},
        {3, 11, 1, 9},
        {15, 7, 13, 5},
}};

}  // namespace

std::vector<std::uint8_t> ditherOrdered(const GreyPlane& plane)
{
    const auto width = static_cast<std::size_t>(plane.width);
    const auto height = static_cast<std::size_t>(plane.height);
    std::vector<std::uint8_t> levels(width * height);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            // The lighter of the two levels around the lightness wins where it
            // lies past 1 - (2b + 1) / 32 of the way between them: an exact
            // device grey lies at no way at all, so it stays flat.
            const int threshold = 2 * kBayer[y % 4][x % 4] + 1;
            const int lighter = (32 * plane.values[y * width + x] + kLevelUnits * threshold) / (32 * kLevelUnits);
            levels[y * width + x] = static_cast<std::uint8_t>(15 - std::min(15, lighter));
        }
    }
    return levels;
}

}  // namespace pelkora::output
