#pragma once
// The picture controls as the user writes them, on the command line and in
// the settings file, and back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "output/output_options.h"

namespace pelkora::output {

inline constexpr int kLeastFactor = 10;      // 0.1
inline constexpr int kLargestFactor = 1000;  // 10

// "1", "1.8", "0.75": a decimal with at most two places, from 0.1 to 10, in
// hundredths.
std::optional<int> parseFactor(std::string_view text);
// 180 as "1.8", 100 as "1".
std::string factorText(int hundredths);

// "#RRGGBB" (either case) or one of black, white, grey (gray), silver, red,
// green, blue, yellow; 0xRRGGBB.
std::optional<std::uint32_t> parseColour(std::string_view text);
std::string colourText(std::uint32_t rgb);  // "#rrggbb"

std::optional<GreyWeights> parseGreyWeights(std::string_view text);  // "device", "luma"
std::string greyWeightsText(GreyWeights weights);

// "fs", "atkinson", "ordered"; none of them for "none".
std::optional<DitherKind> parseDitherKind(std::string_view text);
std::string ditherKindText(DitherKind kind);

}  // namespace pelkora::output
