#include "output/control_values.h"

#include <array>
#include <utility>

namespace pelkora::output {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr std::array<std::pair<std::string_view, std::uint32_t>, 9> kColourNames{{
        {"black", 0x000000},
        {"white", 0xFFFFFF},
        // The device's level 7, so a grey background stays one flat level.
        {"grey", 0x888888},
        {"gray", 0x888888},
        {"silver", 0xC0C0C0},
        {"red", 0xFF0000},
        {"green", 0x00FF00},
        {"blue", 0x0000FF},
        {"yellow", 0xFFFF00},
}};

}  // namespace

std::optional<int> parseFactor(std::string_view text)
{
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view places = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 2 || places.size() > 2 || (dot != std::string_view::npos && places.empty()))
        return std::nullopt;
    int value = 0;
    for (char c : whole) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    value *= 100;
    int scale = 10;
    for (char c : places) {
        if (!isDigit(c))
            return std::nullopt;
        value += (c - '0') * scale;
        scale /= 10;
    }
    if (value < kLeastFactor || value > kLargestFactor)
        return std::nullopt;
    return value;
}

std::string factorText(int hundredths)
{
    std::string text = std::to_string(hundredths / 100);
    const int places = hundredths % 100;
    if (places != 0) {
        text += '.';
        text += static_cast<char>('0' + places / 10);
        if (places % 10 != 0)
            text += static_cast<char>('0' + places % 10);
    }
    return text;
}

std::optional<std::uint32_t> parseColour(std::string_view text)
{
    for (const auto& [name, rgb] : kColourNames) {
        if (text == name)
            return rgb;
    }
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    std::uint32_t rgb = 0;
    for (char c : text.substr(1)) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    return rgb;
}

std::string colourText(std::uint32_t rgb)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        text += kHex[(rgb >> shift) & 0xF];
    return text;
}

std::optional<GreyWeights> parseGreyWeights(std::string_view text)
{
    if (text == "device")
        return GreyWeights::Device;
    if (text == "luma")
        return GreyWeights::Luma;
    return std::nullopt;
}

std::string greyWeightsText(GreyWeights weights) { return weights == GreyWeights::Luma ? "luma" : "device"; }

std::optional<DitherKind> parseDitherKind(std::string_view text)
{
    if (text == "fs")
        return DitherKind::FloydSteinberg;
    if (text == "atkinson")
        return DitherKind::Atkinson;
    if (text == "ordered")
        return DitherKind::Ordered;
    return std::nullopt;
}

std::string ditherKindText(DitherKind kind)
{
    switch (kind) {
    case DitherKind::Atkinson:
        return "atkinson";
    case DitherKind::Ordered:
        return "ordered";
    case DitherKind::FloydSteinberg:
        break;
    }
    return "fs";
}

}  // namespace pelkora::output
