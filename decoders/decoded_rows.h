#pragma once
// The rows a format library hands back, in the few layouts our decoders ask
// it for, and their one way into the core image: opaque pixels as they
// stand, the others blended over the colour asked for. 16-bit samples come
// to 8 bits by rounding, the same on every machine.

#include <array>
#include <cstdint>
#include <vector>

#include "core/image.h"

namespace pelkora::decoders {

enum class RowLayout {
    Index8,  // a byte a pixel into a table of 0xAARRGGBB colours
    Rgba8,   // four bytes a pixel: red, green, blue, alpha (or filler)
    Grey16,  // two bytes a pixel, most significant first
    Rgba16,  // eight bytes a pixel, each sample most significant first
};

struct DecodedRows {
    RowLayout layout = RowLayout::Rgba8;
    int width = 0;
    int height = 0;
    bool hasAlpha = false;
    std::array<Pixel, 256> table{};  // Index8 only
    std::vector<std::uint8_t> bytes;  // the rows one after the other, unpadded

    std::size_t rowBytes() const;
};

// A 16-bit sample to 8 bits: the nearest of the 256 levels.
constexpr std::uint32_t eightBits(std::uint32_t sample) { return (sample * 255 + 32767) / 65535; }

// The core image of rows; null when its pixels cannot be had.
Image flattenRows(const DecodedRows& rows, Pixel underneath);

}  // namespace pelkora::decoders
