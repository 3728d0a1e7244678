#pragma once
// PNG files of any colour type and depth from raw sample bytes, with the
// image data stored uncompressed: enough for a decoder to read, and no
// compressor needed by the tests.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pelkora::testing {

struct PngRecipe {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint8_t bitDepth = 8;
    std::uint8_t colourType = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    std::vector<std::uint8_t> palette;       // PLTE: RGB triples
    std::vector<std::uint8_t> transparency;  // tRNS
    // Every row's samples as stored (16-bit samples high byte first),
    // without the filter byte.
    std::vector<std::uint8_t> rows;
};

namespace png_detail {

inline std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& body)
{
    put32(out, static_cast<std::uint32_t>(body.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    put32(out, crc32(out.data() + typeAt, out.size() - typeAt));
}

// A zlib stream of stored blocks.
inline std::vector<std::uint8_t> stored(const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(data.size() - at, 0xFFFF);
        const bool last = at + length == data.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(length));
        out.push_back(static_cast<std::uint8_t>(length >> 8));
        out.push_back(static_cast<std::uint8_t>(~length));
        out.push_back(static_cast<std::uint8_t>(~length >> 8));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                   data.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < data.size());
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (const std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32(out, b << 16 | a);
    return out;
}

inline std::size_t samplesPerPixel(std::uint8_t colourType)
{
    switch (colourType) {
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 1;
    }
}

}  // namespace png_detail

inline std::vector<std::uint8_t> buildPng(const PngRecipe& recipe)
{
    using namespace png_detail;
    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    put32(header, recipe.width);
    put32(header, recipe.height);
    header.insert(header.end(), {recipe.bitDepth, recipe.colourType, 0, 0, 0});
    chunk(out, "IHDR", header);
    if (!recipe.palette.empty())
        chunk(out, "PLTE", recipe.palette);
    if (!recipe.transparency.empty())
        chunk(out, "tRNS", recipe.transparency);
    const std::size_t rowBytes =
            (static_cast<std::size_t>(recipe.width) * samplesPerPixel(recipe.colourType) * recipe.bitDepth + 7) / 8;
    std::vector<std::uint8_t> filtered;
    for (std::size_t at = 0; at + rowBytes <= recipe.rows.size() && rowBytes > 0; at += rowBytes) {
        filtered.push_back(0);
        filtered.insert(filtered.end(), recipe.rows.begin() + static_cast<std::ptrdiff_t>(at),
                        recipe.rows.begin() + static_cast<std::ptrdiff_t>(at + rowBytes));
    }
    chunk(out, "IDAT", stored(filtered));
    chunk(out, "IEND", {});
    return out;
}

}  // namespace pelkora::testing
