// --gamma in integers: powers taken through a fixed-point logarithm, so that
// no machine's floating-point library decides a rounding.
#include <cstdint>

#include "output/tone_curve.h"

namespace pelkora::output {

namespace {

constexpr int kFractionBits = 24;

// log2(x) for x from 1 to 2^20, in 2^-24 units: the whole part from the top
// bit, each fraction bit from squaring the mantissa (held in 2^-30 units,
// below 2^31, so its square stays inside 64 bits).
std::int64_t log2Fixed(std::uint32_t x)
{
    int whole = 0;
    while ((x >> (whole + 1)) != 0)
        ++whole;
    std::uint64_t mantissa = static_cast<std::uint64_t>(x) << (30 - whole);
    std::int64_t result = static_cast<std::int64_t>(whole) << kFractionBits;
    for (int bit = kFractionBits - 1; bit >= 0; --bit) {
        mantissa = (mantissa * mantissa) >> 30;
        if (mantissa >= (std::uint64_t{1} << 31)) {
            mantissa >>= 1;
            result += std::int64_t{1} << bit;
        }
    }
    return result;
}

}  // namespace

ToneTable gammaTone(int gamma)
{
    // The result for lightness g is the number of y from 1 to white whose
    // lower rounding edge y - 1/2 lies at or below white x (g / white)^(1/gamma),
    // that is gamma x log2((2y - 1) / (2 white)) <= log2(g / white), both
    // sides times 100 to keep gamma whole. Both sides grow with their
    // argument, so one walk up through y serves every g.
    ToneTable table{};
    const std::int64_t twiceWhiteLog = log2Fixed(2 * kWhite);
    const std::int64_t whiteLog = log2Fixed(kWhite);
    int y = 0;
    for (int g = 1; g <= kWhite; ++g) {
        const std::int64_t right = 100 * (log2Fixed(static_cast<std::uint32_t>(g)) - whiteLog);
        while (y < kWhite && gamma * (log2Fixed(static_cast<std::uint32_t>(2 * (y + 1) - 1)) - twiceWhiteLog) <= right)
            ++y;
        table[static_cast<std::size_t>(g)] = y;
    }
    return table;
}

}  // namespace pelkora::output
