// Atkinson's diffusion: six neighbours get an eighth of the error each and
// the last quarter is let go, which keeps light and dark areas clean at the
// cost of some range in the darkest and lightest greys.
#include <algorithm>
#include <array>
#include <cstddef>

#include "output/dither.h"

namespace pelkora::output {

namespace {

constexpr int kScale = 16;  // errors in sixteenths, as Floyd-Steinberg carries them
constexpr int kLevelStep = kLevelUnits * kScale;
constexpr std::size_t kMargin = 2;  // spare cells either side: no edge tests

}  // namespace

std::vector<std::uint8_t> ditherAtkinson(const GreyPlane& plane)
{
    const auto width = static_cast<std::size_t>(plane.width);
    const auto height = static_cast<std::size_t>(plane.height);
    std::vector<std::uint8_t> levels(width * height);
    // This row and the two below it.
    std::array<std::vector<int>, 3> rows;
    for (std::vector<int>& row : rows)
        row.assign(width + 2 * kMargin, 0);

    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t cell = x + kMargin;
            const int value = plane.values[y * width + x] * kScale + rows[0][cell];
            const std::uint8_t level = nearestLevel(value);
            levels[y * width + x] = level;
            const int share = (value - (15 - level) * kLevelStep) / 8;
            rows[0][cell + 1] += share;
            rows[0][cell + 2] += share;
            rows[1][cell - 1] += share;
            rows[1][cell] += share;
            rows[1][cell + 1] += share;
            rows[2][cell] += share;
        }
        std::rotate(rows.begin(), rows.begin() + 1, rows.end());
        std::fill(rows[2].begin(), rows[2].end(), 0);
    }
    return levels;
}

}  // namespace pelkora::output
