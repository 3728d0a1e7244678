#pragma once
// A picture's size, as the user writes it ("WxH") and as DOB headers and the
// fit option hold it: both sides from 1 to 65535.

#include <optional>
#include <string>
#include <string_view>

namespace pelkora::output {

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// The largest side a DOB of any header can hold, and so the largest any
// option takes.
inline constexpr int kLargestSide = 65535;

// "WxH" (also "WXH"), both sides 1 to kLargestSide, decimal digits only.
std::optional<Size> parseSize(std::string_view text);

// The largest side a picture fitted for the device may have: a DOB header
// keeps a side in one byte, and a larger one would be written wrapped.
inline constexpr int kLargestFitSide = 255;

// parseSize, both sides at most kLargestFitSide: a canvas this small also
// stays far below the picture-surface limit whatever the input.
std::optional<Size> parseFitSize(std::string_view text);
std::string sizeText(const Size& size);

}  // namespace pelkora::output
