// --levels auto: where the picture's own darkest and lightest lie.
#include <algorithm>
#include <vector>

#include "output/tone_curve.h"

namespace pelkora::output {

namespace {

// The lightness below which `skipped` pixels lie, counted from the dark end
// (or from the light end, walking the histogram backwards).
int lightnessPast(const std::vector<long long>& histogram, long long skipped, bool fromLight)
{
    long long seen = 0;
    for (int i = 0; i <= kWhite; ++i) {
        const int g = fromLight ? kWhite - i : i;
        seen += histogram[static_cast<std::size_t>(g)];
        if (seen > skipped)
            return g;
    }
    return fromLight ? 0 : kWhite;
}

}  // namespace

ToneTable levelsStretch(const GreyPlane& plane, const Rect& area)
{
    std::vector<long long> histogram(kWhite + 1, 0);
    for (int y = area.top; y < area.bottom(); ++y) {
        for (int x = area.left; x < area.right(); ++x)
            ++histogram[static_cast<std::size_t>(plane.at(x, y))];
    }
    const long long skipped = static_cast<long long>(area.width) * area.height / kOutlierShare;
    const int darkest = lightnessPast(histogram, skipped, false);
    const int lightest = lightnessPast(histogram, skipped, true);
    if (lightest <= darkest)
        return identityTone();
    ToneTable table{};
    const int span = lightest - darkest;
    for (int g = 0; g <= kWhite; ++g) {
        const int inside = std::clamp(g, darkest, lightest) - darkest;
        table[static_cast<std::size_t>(g)] = (inside * kWhite + span / 2) / span;
    }
    return table;
}

}  // namespace pelkora::output
