#pragma once
// The first of the grey steps: every pixel's lightness as one number, in
// units of the channel sum R + G + B, 0 black to 765 white. The device's
// levels sit 51 units apart there (level v shows as 255 - 17 v on every
// channel), so each later step can tell an exact device grey from the
// colours between them.

#include <cstdint>
#include <vector>

#include "core/image.h"
#include "output/output_options.h"

namespace pelkora::output {

inline constexpr int kWhite = 765;
inline constexpr int kLevelUnits = 51;  // from one device level to the next

struct GreyPlane {
    int width = 0;
    int height = 0;
    std::vector<int> values;  // top row first, width x height

    int& at(int x, int y)
    {
        return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
    int at(int x, int y) const
    {
        return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// One pixel's lightness: the plain channel sum, or BT.601 luma scaled to the
// same range and rounded to nearest (a grey colour gets the same number
// either way).
int lightnessOf(Pixel pixel, GreyWeights weights);

GreyPlane greyPlaneOf(const PixelView& pixels, GreyWeights weights);

// The part of a plane inside area (which lies inside it), as a plane of its own.
GreyPlane cutOut(const GreyPlane& plane, const Rect& area);

}  // namespace pelkora::output
