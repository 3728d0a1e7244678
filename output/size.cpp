#include "output/size.h"

namespace pelkora::output {

namespace {

std::optional<int> parseSide(std::string_view digits)
{
    // Five digits reach 65535; more can only be too large or zero-padded.
    if (digits.empty() || digits.size() > 5)
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kLargestSide)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<Size> parseSize(std::string_view text)
{
    const std::size_t cross = text.find_first_of("xX");
    if (cross == std::string_view::npos)
        return std::nullopt;
    const auto width = parseSide(text.substr(0, cross));
    const auto height = parseSide(text.substr(cross + 1));
    if (!width || !height)
        return std::nullopt;
    return Size{*width, *height};
}

std::optional<Size> parseFitSize(std::string_view text)
{
    const auto size = parseSize(text);
    if (!size || size->width > kLargestFitSide || size->height > kLargestFitSide)
        return std::nullopt;
    return size;
}

std::string sizeText(const Size& size) { return std::to_string(size.width) + "x" + std::to_string(size.height); }

}  // namespace pelkora::output
