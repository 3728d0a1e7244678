#pragma once
// Real encoded test pictures with known pixels: BMP files written by hand
// (bottom-up or top-down, 8, 24 or 32 bits a pixel) and GIF files with real
// LZW data written through giflib into memory; and readers for what the
// converter writes (DOB files, the playlist).

#include <gif_lib.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace pelkora::testing {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::uint32_t;  // 0xRRGGBB

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
            while (i < palette.size() && palette[i] != c) ++i;
            if (i == palette.size()) palette.push_back(c);
            if (palette.size() > 256) throw std::invalid_argument("more than 256 colours");
            indices.push_back(static_cast<std::uint8_t>(i));
        }
    }
    const std::size_t paletteBytes = palette.size() * 4;
    const std::size_t offset = 14 + 40 + paletteBytes;
    const std::size_t fileSize = offset + rowBytes * static_cast<std::size_t>(height);
    Bytes out;
    auto u16 = [&](unsigned v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); };
    auto u32 = [&](std::uint32_t v) { for (int s = 0; s < 32; s += 8) out.push_back((v >> s) & 0xFF); };
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
    for (Rgb c : palette) u32(c);  // blue, green, red, 0
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
            if (depth == BmpDepth::Rgb32) out.push_back(0);
        }
        out.resize(start + rowBytes, 0);
    }
    return out;
}

// ---------------------------------------------------------------- GIF

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    std::vector<std::uint8_t> indices;  // width x height, top row first
    std::vector<Rgb> localPalette;      // empty: none
    bool control = true;                // write a graphic control extension
    int delay = 0;
    int disposal = 0;
    int transparent = -1;
};

namespace detail {

inline int writeToBytes(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// A colour map of the next power of two at least 2 entries long.
inline ColorMapObject* colorMapOf(const std::vector<Rgb>& colors)
{
    int size = 2;
    while (size < static_cast<int>(colors.size())) size *= 2;
    std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colors.size(); ++i)
        entries[i] = GifColorType{static_cast<GifByteType>(colors[i] >> 16), static_cast<GifByteType>(colors[i] >> 8),
                                  static_cast<GifByteType>(colors[i])};
    return GifMakeMapObject(size, entries.data());
}

}  // namespace detail

// A GIF89a with real LZW image data; globalPalette empty: no global table.
inline Bytes makeGif(int width, int height, const std::vector<Rgb>& globalPalette, const std::vector<GifFrame>& frames)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, detail::writeToBytes, &error);
    if (gif == nullptr) throw std::runtime_error("EGifOpen failed");
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = globalPalette.empty() ? nullptr : detail::colorMapOf(globalPalette);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, global) == GIF_OK;
    GifFreeMapObject(global);
    for (const GifFrame& frame : frames) {
        if (!ok) break;
        if (frame.control) {
            const GifByteType block[4] = {
                static_cast<GifByteType>(((frame.disposal & 7) << 2) | (frame.transparent >= 0 ? 1 : 0)),
                static_cast<GifByteType>(frame.delay & 0xFF), static_cast<GifByteType>((frame.delay >> 8) & 0xFF),
                static_cast<GifByteType>(frame.transparent >= 0 ? frame.transparent : 0)};
            ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block) == GIF_OK;
        }
        ColorMapObject* local = frame.localPalette.empty() ? nullptr : detail::colorMapOf(frame.localPalette);
        ok = ok && EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, false, local) == GIF_OK;
        GifFreeMapObject(local);
        std::vector<GifPixelType> row(static_cast<std::size_t>(frame.width));
        for (int y = 0; ok && y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * frame.width + x;
                row[static_cast<std::size_t>(x)] = i < frame.indices.size() ? frame.indices[i] : 0;
            }
            ok = EGifPutLine(gif, row.data(), frame.width) == GIF_OK;
        }
    }
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok) throw std::runtime_error("GIF encoding failed");
    return out;
}

// A frame of one colour index over its whole rectangle.
inline GifFrame solidFrame(int left, int top, int width, int height, std::uint8_t index, int delay = 0,
                           int disposal = 0)
{
    GifFrame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(static_cast<std::size_t>(width) * height, index);
    frame.delay = delay;
    frame.disposal = disposal;
    return frame;
}

// ---------------------------------------------------------------- output

// The grey level the DOB writer gives a colour (0 white, 15 black).
inline int greyOfRgb(Rgb c)
{
    return 15 - (static_cast<int>((c >> 20) & 0xF) + static_cast<int>((c >> 12) & 0xF) +
                 static_cast<int>((c >> 4) & 0xF)) / 3;
}

struct DobPicture {
    int width = 0;   // header bytes, modulo 256
    int height = 0;
    std::vector<int> greys;  // every pixel, top row first
};

// Unpacks a DOB file of a picture whose true pixel count is known.
inline std::optional<DobPicture> readDob(const std::filesystem::path& file, std::size_t pixelCount)
{
    const std::string bytes = TempDir::read(file);
    if (bytes.size() != 2 + (pixelCount + 1) / 2) return std::nullopt;
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
    for (Rgb c : colors) greys.push_back(greyOfRgb(c));
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
