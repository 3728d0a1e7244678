#include "output/tone_curve.h"

#include <algorithm>

namespace pelkora::output {

ToneTable identityTone()
{
    ToneTable table{};
    for (int g = 0; g <= kWhite; ++g)
        table[static_cast<std::size_t>(g)] = g;
    return table;
}

ToneTable contrastTone(int contrast)
{
    ToneTable table{};
    for (int g = 0; g <= kWhite; ++g) {
        // Twice the distance from mid grey (382.5), so it stays whole.
        const long long doubled = 100LL * kWhite + static_cast<long long>(2 * g - kWhite) * contrast;
        const long long value = doubled <= 0 ? 0 : (doubled + 100) / 200;
        table[static_cast<std::size_t>(g)] = static_cast<int>(std::min<long long>(value, kWhite));
    }
    return table;
}

ToneTable invertTone()
{
    ToneTable table{};
    for (int g = 0; g <= kWhite; ++g)
        table[static_cast<std::size_t>(g)] = kWhite - g;
    return table;
}

ToneTable then(const ToneTable& first, const ToneTable& second)
{
    ToneTable table{};
    for (std::size_t g = 0; g < table.size(); ++g)
        table[g] = second[static_cast<std::size_t>(first[g])];
    return table;
}

void applyTone(const ToneTable& table, GreyPlane& plane)
{
    for (int& value : plane.values)
        value = table[static_cast<std::size_t>(value)];
}

}  // namespace pelkora::output
