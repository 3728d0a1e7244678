#pragma once
// BMP files of every header and depth from a short recipe: the header kind,
// the depth, the palette, the masks and the pixels (or the run-length codes),
// with fields that tests of hostile files can set to anything.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace pelkora::testing {

struct BmpRecipe {
    std::uint32_t header = 40;  // 12, 16, 40, 52, 56, 64, 108 or 124 bytes
    int width = 1;
    int height = 1;  // negative: the rows are stored top row first
    unsigned bits = 24;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> palette;        // 0xRRGGBB
    std::optional<std::uint32_t> coloursUsed;  // the header's count; the palette's size if not set
    // Red, green, blue, alpha: written into the header where it has room
    // (52 bytes and up), else after a 40-byte header for bit-field bitmaps.
    std::array<std::uint32_t, 4> masks{};
    // Per pixel, top row first: the palette index, or the pixel value
    // (0xRRGGBB for 24 bits, the raw value for 16 and 32).
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> codes;           // run-length stream, stored instead of pixels
    std::optional<std::uint32_t> pixelOffset;  // where the header says the pixels start
};

namespace bmp_detail {

inline void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

inline void set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        out[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

inline std::vector<std::uint8_t> rowsOf(const BmpRecipe& r)
{
    std::vector<std::uint8_t> out;
    const int rows = r.height < 0 ? -r.height : r.height;
    const std::size_t rowBytes = (static_cast<std::size_t>(r.width) * r.bits + 31) / 32 * 4;
    for (int row = 0; row < rows; ++row) {
        const int y = r.height < 0 ? row : rows - 1 - row;
        std::vector<std::uint8_t> line(rowBytes, 0);
        for (int x = 0; x < r.width; ++x) {
            const std::size_t i =
                    static_cast<std::size_t>(y) * static_cast<std::size_t>(r.width) + static_cast<std::size_t>(x);
            const std::uint32_t v = i < r.pixels.size() ? r.pixels[i] : 0;
            const std::size_t bit = static_cast<std::size_t>(x) * r.bits;
            if (r.bits < 8)
                line[bit / 8] |= static_cast<std::uint8_t>(v << (8 - r.bits - bit % 8));
            else
                for (unsigned k = 0; k < r.bits / 8; ++k)
                    line[bit / 8 + k] = static_cast<std::uint8_t>(v >> (8 * k));
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

}  // namespace bmp_detail

inline std::vector<std::uint8_t> buildBmp(const BmpRecipe& r)
{
    using namespace bmp_detail;
    std::vector<std::uint8_t> out{'B', 'M'};
    put32(out, 0);  // file size, set below
    put32(out, 0);
    put32(out, 0);  // pixel offset, set below
    put32(out, r.header);
    if (r.header == 12) {
        put16(out, static_cast<std::uint32_t>(r.width));
        put16(out, static_cast<std::uint32_t>(r.height));
        put16(out, 1);
        put16(out, r.bits);
    } else {
        put32(out, static_cast<std::uint32_t>(r.width));
        put32(out, static_cast<std::uint32_t>(r.height));
        put16(out, 1);
        put16(out, r.bits);
        if (r.header >= 40) {
            put32(out, r.compression);
            put32(out, 0);  // image size
            put32(out, 2835);
            put32(out, 2835);
            put32(out, r.coloursUsed.value_or(static_cast<std::uint32_t>(r.palette.size())));
            put32(out, 0);
        }
        if (r.header >= 52 && r.header != 64)
            for (std::size_t i = 0; i < (r.header >= 56 ? 4u : 3u); ++i)
                put32(out, r.masks[i]);
        out.resize(14 + r.header, 0);
        if (r.header >= 108)
            set32(out, 14 + 56, 0x73524742);  // colour space "sRGB"
        if (r.header == 40 && (r.compression == 3 || r.compression == 6))
            for (std::size_t i = 0; i < (r.compression == 6 ? 4u : 3u); ++i)
                put32(out, r.masks[i]);
    }
    for (std::uint32_t c : r.palette) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
        out.push_back(static_cast<std::uint8_t>(c >> 16));
        if (r.header != 12)
            out.push_back(0);
    }
    set32(out, 10, r.pixelOffset.value_or(static_cast<std::uint32_t>(out.size())));
    const auto pixels = r.codes.empty() ? rowsOf(r) : r.codes;
    out.insert(out.end(), pixels.begin(), pixels.end());
    set32(out, 2, static_cast<std::uint32_t>(out.size()));
    return out;
}

}  // namespace pelkora::testing
