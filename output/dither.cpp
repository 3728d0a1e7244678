#include "output/dither.h"

#include <algorithm>
#include <cstddef>

namespace pelkora::output {

namespace {

// Errors are carried in sixteenths of a channel-sum unit, so that the four
// shares of a pixel's error add up to it exactly.
constexpr int kScale = 16;
constexpr int kLevelStep = kLevelUnits * kScale;  // one device level
constexpr int kLightest = 15;

}  // namespace

std::uint8_t nearestLevel(int value)
{
    if (value <= 0)
        return kLightest;
    return static_cast<std::uint8_t>(kLightest - std::min(kLightest, (value + kLevelStep / 2) / kLevelStep));
}

std::uint8_t plainLevel(int lightness)
{
    // 48 units to a level, so that three equal channels c give c / 16; the
    // device greys sit inside their own level's span.
    return static_cast<std::uint8_t>(kLightest - std::min(kLightest, lightness / 48));
}

std::vector<std::uint8_t> ditherFloydSteinberg(const GreyPlane& plane)
{
    const auto width = static_cast<std::size_t>(plane.width);
    const auto height = static_cast<std::size_t>(plane.height);
    std::vector<std::uint8_t> levels(width * height);
    // Two rows of carried error, with one spare cell on each side so that
    // the kernel never needs a test at the edges.
    std::vector<int> current(width + 2, 0);
    std::vector<int> next(width + 2, 0);

    for (std::size_t y = 0; y < height; ++y) {
        const bool leftToRight = y % 2 == 0;
        const std::ptrdiff_t step = leftToRight ? 1 : -1;
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t x = leftToRight ? i : width - 1 - i;
            const std::size_t cell = x + 1;
            const int value = plane.values[y * width + x] * kScale + current[cell];
            const std::uint8_t level = nearestLevel(value);
            levels[y * width + x] = level;

            const int error = value - (kLightest - level) * kLevelStep;
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

std::vector<std::uint8_t> ditherWith(DitherKind kind, const GreyPlane& plane)
{
    switch (kind) {
    case DitherKind::Atkinson:
        return ditherAtkinson(plane);
    case DitherKind::Ordered:
        return ditherOrdered(plane);
    case DitherKind::FloydSteinberg:
        break;
    }
    return ditherFloydSteinberg(plane);
}

std::vector<std::uint8_t> ditherToLevels(const PixelView& view)
{
    if (view.width <= 0 || view.height <= 0 || view.pixels == nullptr)
        return {};
    return ditherFloydSteinberg(greyPlaneOf(view, GreyWeights::Device));
}

std::vector<std::uint8_t> EncodeDobLevels(const std::vector<std::uint8_t>& levels, int width, int height)
{
    if (levels.empty())
        return {};
    const std::size_t count = levels.size();
    std::vector<std::uint8_t> dob(2 + (count + 1) / 2, 0);
    dob[0] = static_cast<std::uint8_t>(width & 0xFF);
    dob[1] = static_cast<std::uint8_t>(height & 0xFF);
    for (std::size_t i = 0; i < count; ++i)
        dob[2 + i / 2] |= static_cast<std::uint8_t>(levels[i] << (i % 2 == 0 ? 0 : 4));
    return dob;
}

std::vector<std::uint8_t> EncodeDobDithered(const PixelView& view)
{
    return EncodeDobLevels(ditherToLevels(view), view.width, view.height);
}

}  // namespace pelkora::output
