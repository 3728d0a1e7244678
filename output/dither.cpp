#include "output/dither.h"

#include <algorithm>
#include <cstddef>

namespace pelkora::output {

namespace {

// Errors are carried in sixteenths of a channel-sum unit, so that the four
// shares of a pixel's error add up to it exactly.
constexpr int kScale = 16;
constexpr int kLevelStep = 51 * kScale;  // one device level, R + G + B
constexpr int kLightest = 15;

int channelSum(std::uint32_t pixel)
{
    return static_cast<int>((pixel >> 16) & 0xFF) + static_cast<int>((pixel >> 8) & 0xFF)
           + static_cast<int>(pixel & 0xFF);
}

// The lightness step (0 black, 15 white) nearest to a value; halves go up.
int nearestStep(int value)
{
    if (value <= 0)
        return 0;
    return std::min(kLightest, (value + kLevelStep / 2) / kLevelStep);
}

}  // namespace

std::vector<std::uint8_t> ditherToLevels(const PixelView& view)
{
    if (view.width <= 0 || view.height <= 0 || view.pixels == nullptr)
        return {};
    const auto width = static_cast<std::size_t>(view.width);
    const auto height = static_cast<std::size_t>(view.height);
    std::vector<std::uint8_t> levels(width * height);
    // Two rows of carried error, with one spare cell on each side so that
    // the kernel never needs a test at the edges.
    std::vector<int> current(width + 2, 0);
    std::vector<int> next(width + 2, 0);

    for (std::size_t y = 0; y < height; ++y) {
        const std::uint32_t* row = view.pixels + static_cast<std::ptrdiff_t>(y) * view.stride;
        const bool leftToRight = y % 2 == 0;
        const std::ptrdiff_t step = leftToRight ? 1 : -1;
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t x = leftToRight ? i : width - 1 - i;
            const std::size_t cell = x + 1;
            const int value = channelSum(row[x]) * kScale + current[cell];
            const int lightness = nearestStep(value);
            levels[y * width + x] = static_cast<std::uint8_t>(kLightest - lightness);

            const int error = value - lightness * kLevelStep;
            const int ahead = error * 7 / 16;
            const int behindBelow = error * 3 / 16;
            const int below = error * 5 / 16;
            const int aheadBelow = error - ahead - behindBelow - below;
            current[static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cell) + step)] += ahead;
            next[static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cell) - step)] += behindBelow;
            next[cell] += below;
            next[static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cell) + step)] += aheadBelow;
        }
        std::swap(current, next);
    }
    return levels;
}

std::vector<std::uint8_t> EncodeDobDithered(const PixelView& view)
{
    const std::vector<std::uint8_t> levels = ditherToLevels(view);
    if (levels.empty())
        return {};
    const std::size_t count = levels.size();
    std::vector<std::uint8_t> dob(2 + (count + 1) / 2, 0);
    dob[0] = static_cast<std::uint8_t>(view.width & 0xFF);
    dob[1] = static_cast<std::uint8_t>(view.height & 0xFF);
    for (std::size_t i = 0; i < count; ++i)
        dob[2 + i / 2] |= static_cast<std::uint8_t>(levels[i] << (i % 2 == 0 ? 0 : 4));
    return dob;
}

}  // namespace pelkora::output
