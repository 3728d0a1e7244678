#pragma once
// Real encoded test pictures with known pixels: BMP files written by hand
// (bottom-up or top-down, 8, 24 or 32 bits a pixel) and GIF files with real
// LZW data (support/gif_builder.h); and readers for what the converter
// writes (DOB files, the playlist).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/gif_builder.h"
#include "support/temp_dir.h"

namespace pelkora::testing {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------- BMP

enum class BmpDepth { Palette8 = 8, Rgb24 = 24, Rgb32 = 32 };

// pixels: width x height colours, top row first. A negative height in the
// header (topDown) stores the rows top row first.
inline Bytes makeBmp(int width, int height, const std::vector<Rgb>& pixels, BmpDepth depth = BmpDepth::Rgb24,
                     bool topDown = false)
{
    const int bits = static_cast<int>(depth);
    const std::size_t rowBytes = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    std::vector<Rgb> palette;
    std::vector<std::uint8_t> indices;
    if (depth == BmpDepth::Palette8) {
        for (Rgb c : pixels) {
            std::size_t i = 0;
            while (i < palette.size() && palette[i] != c)
                ++i;
            if (i == palette.size())
                palette.push_back(c);
            if (palette.size() > 256)
                throw std::invalid_argument("more than 256 colours");
            indices.push_back(static_cast<std::uint8_t>(i));
        }
    }
    const std::size_t paletteBytes = palette.size() * 4;
    const std::size_t offset = 14 + 40 + paletteBytes;
    const std::size_t fileSize = offset + rowBytes * static_cast<std::size_t>(height);
    Bytes out;
    auto u16 = [&](unsigned v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    };
    auto u32 = [&](std::uint32_t v) {
        for (int s = 0; s < 32; s += 8)
            out.push_back((v >> s) & 0xFF);
    };
    out.push_back('B');
    out.push_back('M');
    u32(static_cast<std::uint32_t>(fileSize));
    u32(0);
    u32(static_cast<std::uint32_t>(offset));
    u32(40);
    u32(static_cast<std::uint32_t>(width));
    u32(static_cast<std::uint32_t>(topDown ? -height : height));
    u16(1);
    u16(static_cast<unsigned>(bits));
    u32(0);  // uncompressed
    u32(static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(height)));
    u32(2835);
    u32(2835);
    u32(static_cast<std::uint32_t>(palette.size()));
    u32(0);
    for (Rgb c : palette)
        u32(c);  // blue, green, red, 0
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        const std::size_t start = out.size();
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            if (depth == BmpDepth::Palette8) {
                out.push_back(indices[i]);
                continue;
            }
            out.push_back(pixels[i] & 0xFF);
            out.push_back((pixels[i] >> 8) & 0xFF);
            out.push_back((pixels[i] >> 16) & 0xFF);
            if (depth == BmpDepth::Rgb32)
                out.push_back(0);
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

// ---------------------------------------------------------------- GIF

// GIF files with real LZW data: GifBuilder, makeGif and solidFrame in
// support/gif_builder.h.

// ---------------------------------------------------------------- output

// Colours the picture tests share; kSurface is what the memory image is
// filled with before anything is drawn.
constexpr Rgb kBlack = 0x000000;
constexpr Rgb kWhite = 0xFFFFFF;
constexpr Rgb kRed = 0xFF0000;
constexpr Rgb kSurface = 0xF0F0F0;

// The grey level the DOB writer gives a colour (0 white, 15 black).
inline int greyOfRgb(Rgb c)
{
    return 15
           - (static_cast<int>((c >> 20) & 0xF) + static_cast<int>((c >> 12) & 0xF) + static_cast<int>((c >> 4) & 0xF))
                     / 3;
}

struct DobPicture {
    int width = 0;  // header bytes, modulo 256
    int height = 0;
    std::vector<int> greys;  // every pixel, top row first
};

// Unpacks a DOB file of a picture whose true pixel count is known.
inline std::optional<DobPicture> readDob(const std::filesystem::path& file, std::size_t pixelCount)
{
    const std::string bytes = TempDir::read(file);
    if (bytes.size() != 2 + (pixelCount + 1) / 2)
        return std::nullopt;
    DobPicture dob;
    dob.width = static_cast<std::uint8_t>(bytes[0]);
    dob.height = static_cast<std::uint8_t>(bytes[1]);
    for (std::size_t i = 0; i < pixelCount; ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[2 + i / 2]);
        dob.greys.push_back(i % 2 == 0 ? byte & 0xF : byte >> 4);
    }
    return dob;
}

// The grey levels of a picture given as colours.
inline std::vector<int> greysOf(const std::vector<Rgb>& colors)
{
    std::vector<int> greys;
    for (Rgb c : colors)
        greys.push_back(greyOfRgb(c));
    return greys;
}

// A work directory with its output folder, as start-up leaves it.
inline std::filesystem::path makeWorkDirectory(const TempDir& dir)
{
    std::filesystem::create_directories(dir / "adv");
    return dir.path();
}

inline std::string playlistOf(const std::filesystem::path& workDirectory)
{
    return TempDir::read(workDirectory / "adv" / "advertising.index");
}

}  // namespace pelkora::testing
