#pragma once
// Writes GIF byte arrays from a readable recipe, block by block, so that tests
// can state a file's structure instead of carrying binary blobs. Image data
// is either filler bytes of the requested sub-block sizes (for the block
// walk) or real LZW data of given pixels (for the decoders):
//
//   auto gif = GifBuilder()
//                  .header()
//                  .screen(16, 16, 0)            // gct of 2 entries (6 bytes)
//                  .graphicControl(0x08, 10)
//                  .image(0, 0, 16, 16, 0x00, {3})
//                  .trailer()
//                  .bytes();
//
//   auto real = GifBuilder()
//                   .header()
//                   .screenWithColors(4, 4, {0x000000, 0xFFFFFF})
//                   .picture(solidFrame(0, 0, 4, 4, 1, 10))
//                   .trailer()
//                   .bytes();                   // or makeGif(4, 4, palette, frames)

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "support/lzw_encoder.h"

namespace pelkora::testing {

using Rgb = std::uint32_t;  // 0xRRGGBB

// One image with real pixels, and the graphic control extension before it.
struct GifPictureFrame {
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
    bool interlaced = false;
    int minCodeSize = 0;  // 0: as the colour table needs, at least 2
    bool clearWhenFull = true;
};

// A frame of one colour index over its whole rectangle.
inline GifPictureFrame solidFrame(int left, int top, int width, int height, std::uint8_t index, int delay = 0,
                                  int disposal = 0)
{
    GifPictureFrame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(static_cast<std::size_t>(width) * height, index);
    frame.delay = delay;
    frame.disposal = disposal;
    return frame;
}

class GifBuilder {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Bytes of a colour table announced by a packed field's low three bits.
    static std::size_t colorTableBytes(int sizeBits) { return 3u * (std::size_t{1} << ((sizeBits & 7) + 1)); }

    GifBuilder& header(std::string_view signature = "GIF89a")
    {
        for (char c : signature)
            byte(static_cast<std::uint8_t>(c));
        return *this;
    }

    // Logical screen descriptor; with gctBits set it announces and writes a
    // global colour table of 2^(gctBits+1) entries.
    GifBuilder& screen(int width, int height, std::optional<int> gctBits = std::nullopt, std::uint8_t background = 0,
                       std::uint8_t aspect = 0)
    {
        word(width);
        word(height);
        byte(gctBits ? static_cast<std::uint8_t>(0x80 | (*gctBits & 7)) : std::uint8_t{0});
        byte(background);
        byte(aspect);
        if (gctBits)
            colorTable(*gctBits);
        return *this;
    }

    // Logical screen descriptor with the colours given as its global table,
    // padded with black to a power of two of at least 2 entries; none for an
    // empty list.
    GifBuilder& screenWithColors(int width, int height, const std::vector<Rgb>& palette)
    {
        word(width);
        word(height);
        const int bits = tableBits(palette.size());
        byte(static_cast<std::uint8_t>(0x70 | (palette.empty() ? 0 : 0x80 | (bits - 1))));
        byte(0);
        byte(0);
        if (!palette.empty())
            colors(palette);
        globalBits_ = palette.empty() ? 0 : bits;
        return *this;
    }

    // A logical screen descriptor with a packed byte as given and no table
    // written, for files that announce more than they hold.
    GifBuilder& screenPacked(int width, int height, std::uint8_t packed)
    {
        word(width);
        word(height);
        byte(packed);
        byte(0);
        byte(0);
        return *this;
    }

    GifBuilder& colorTable(int sizeBits)
    {
        const std::size_t n = colorTableBytes(sizeBits);
        for (std::size_t i = 0; i < n; ++i)
            byte(static_cast<std::uint8_t>(i * 37 + 11));
        return *this;
    }

    GifBuilder& graphicControl(std::uint8_t packed, int delay, std::uint8_t transparent = 0)
    {
        byte(0x21);
        byte(0xF9);
        byte(4);
        byte(packed);
        word(delay);
        byte(transparent);
        byte(0);
        return *this;
    }

    // Image descriptor, local colour table when packed bit 7 is set, LZW
    // minimum code size and a filler sub-block chain of the given sizes.
    GifBuilder& image(int left, int top, int width, int height, std::uint8_t packed,
                      std::initializer_list<std::size_t> subBlockSizes, std::uint8_t minCodeSize = 2)
    {
        return image(left, top, width, height, packed, std::vector<std::size_t>(subBlockSizes), minCodeSize);
    }

    GifBuilder& image(int left, int top, int width, int height, std::uint8_t packed,
                      const std::vector<std::size_t>& subBlockSizes, std::uint8_t minCodeSize = 2)
    {
        imageDescriptor(left, top, width, height, packed);
        if (packed & 0x80)
            colorTable(packed & 7);
        byte(minCodeSize);
        return subBlocks(subBlockSizes);
    }

    // The ten bytes of an image descriptor alone.
    GifBuilder& imageDescriptor(int left, int top, int width, int height, std::uint8_t packed)
    {
        byte(0x2C);
        word(left);
        word(top);
        word(width);
        word(height);
        byte(packed);
        return *this;
    }

    // An image with real LZW data, after its graphic control extension when
    // the frame asks for one. Indices are masked to the colour table in use.
    GifBuilder& picture(const GifPictureFrame& frame)
    {
        if (frame.control) {
            const int flags = ((frame.disposal & 7) << 2) | (frame.transparent >= 0 ? 1 : 0);
            graphicControl(static_cast<std::uint8_t>(flags), frame.delay,
                           static_cast<std::uint8_t>(frame.transparent >= 0 ? frame.transparent : 0));
        }
        const int localBits = frame.localPalette.empty() ? 0 : tableBits(frame.localPalette.size());
        std::uint8_t packed = frame.interlaced ? 0x40 : 0x00;
        if (localBits)
            packed |= static_cast<std::uint8_t>(0x80 | (localBits - 1));
        imageDescriptor(frame.left, frame.top, frame.width, frame.height, packed);
        if (localBits)
            colors(frame.localPalette);
        const int bits = localBits ? localBits : (globalBits_ ? globalBits_ : 8);
        LzwOptions options;
        options.minCodeSize = frame.minCodeSize > 0 ? frame.minCodeSize : (bits < 2 ? 2 : bits);
        options.clearWhenFull = frame.clearWhenFull;
        // Codes wider than the table let an index point past its end.
        const unsigned mask = (1u << options.minCodeSize) - 1;
        std::vector<std::uint16_t> values;
        values.reserve(static_cast<std::size_t>(frame.width) * frame.height);
        for (int row : rowOrder(frame.height, frame.interlaced)) {
            for (int x = 0; x < frame.width; ++x) {
                const std::size_t i = static_cast<std::size_t>(row) * frame.width + x;
                values.push_back(static_cast<std::uint16_t>((i < frame.indices.size() ? frame.indices[i] : 0) & mask));
            }
        }
        byte(static_cast<std::uint8_t>(options.minCodeSize));
        return dataSubBlocks(lzwEncode(values, options));
    }

    // Bytes cut into sub-blocks of at most 255, then the terminator.
    GifBuilder& dataSubBlocks(const std::vector<std::uint8_t>& data)
    {
        for (std::size_t at = 0; at < data.size(); at += 255) {
            const std::size_t n = data.size() - at < 255 ? data.size() - at : 255;
            byte(static_cast<std::uint8_t>(n));
            out_.insert(out_.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                        data.begin() + static_cast<std::ptrdiff_t>(at + n));
        }
        return byte(0);
    }

    // The rows of an image in the order its data holds them.
    static std::vector<int> rowOrder(int height, bool interlaced)
    {
        std::vector<int> rows;
        if (!interlaced) {
            for (int y = 0; y < height; ++y)
                rows.push_back(y);
            return rows;
        }
        const int start[4] = {0, 4, 2, 1};
        const int step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < height; y += step[pass])
                rows.push_back(y);
        return rows;
    }

    GifBuilder& comment(std::string_view text)
    {
        byte(0x21);
        byte(0xFE);
        return textSubBlocks(text);
    }

    // Application extension: size byte 11, 8-byte identifier, 3-byte code.
    GifBuilder& application(std::string_view identifierAndCode, std::initializer_list<std::size_t> subBlockSizes)
    {
        byte(0x21);
        byte(0xFF);
        byte(11);
        for (std::size_t i = 0; i < 11; ++i)
            byte(i < identifierAndCode.size() ? static_cast<std::uint8_t>(identifierAndCode[i]) : ' ');
        return subBlocks(std::vector<std::size_t>(subBlockSizes));
    }

    GifBuilder& netscapeLoop(int count = 0)
    {
        byte(0x21);
        byte(0xFF);
        byte(11);
        header("NETSCAPE2.0");
        byte(3);
        byte(1);
        word(count);
        byte(0);
        return *this;
    }

    // Plain text extension: size byte 12, grid position and size, cell size,
    // colours, then the text as sub-blocks.
    GifBuilder& plainText(int left, int top, int width, int height, std::string_view text)
    {
        byte(0x21);
        byte(0x01);
        byte(12);
        word(left);
        word(top);
        word(width);
        word(height);
        byte(8);
        byte(8);
        byte(1);
        byte(0);
        return textSubBlocks(text);
    }

    // Size byte, n filler bytes for each size (1 to 255), then the terminator.
    GifBuilder& subBlocks(const std::vector<std::size_t>& sizes)
    {
        for (std::size_t n : sizes) {
            byte(static_cast<std::uint8_t>(n));
            for (std::size_t i = 0; i < n; ++i)
                byte(static_cast<std::uint8_t>(i + n));
        }
        byte(0);
        return *this;
    }

    GifBuilder& trailer() { return byte(0x3B); }

    GifBuilder& raw(std::initializer_list<std::uint8_t> values)
    {
        out_.insert(out_.end(), values);
        return *this;
    }

    GifBuilder& byte(std::uint8_t value)
    {
        out_.push_back(value);
        return *this;
    }

    GifBuilder& word(int value)
    {
        byte(static_cast<std::uint8_t>(value & 0xFF));
        return byte(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }

    // Drops bytes from the end, to cut a file short.
    GifBuilder& dropLast(std::size_t count)
    {
        out_.resize(count < out_.size() ? out_.size() - count : 0);
        return *this;
    }

    // Offset of the next byte to be written: where the next block begins.
    std::size_t offset() const { return out_.size(); }
    const Bytes& bytes() const { return out_; }

private:
    // Bits of the smallest table of at least 2 entries that holds count colours.
    static int tableBits(std::size_t count)
    {
        int bits = 1;
        while ((std::size_t{1} << bits) < count)
            ++bits;
        return bits;
    }

    GifBuilder& colors(const std::vector<Rgb>& palette)
    {
        const std::size_t entries = std::size_t{1} << tableBits(palette.size());
        for (std::size_t i = 0; i < entries; ++i) {
            const Rgb c = i < palette.size() ? palette[i] : 0;
            byte(static_cast<std::uint8_t>(c >> 16));
            byte(static_cast<std::uint8_t>(c >> 8));
            byte(static_cast<std::uint8_t>(c));
        }
        return *this;
    }

    GifBuilder& textSubBlocks(std::string_view text)
    {
        while (!text.empty()) {
            const std::size_t n = text.size() < 255 ? text.size() : 255;
            byte(static_cast<std::uint8_t>(n));
            for (std::size_t i = 0; i < n; ++i)
                byte(static_cast<std::uint8_t>(text[i]));
            text.remove_prefix(n);
        }
        byte(0);
        return *this;
    }

    Bytes out_;
    int globalBits_ = 0;
};

// A GIF89a of real images; globalPalette empty: no global table.
inline std::vector<std::uint8_t> makeGif(int width, int height, const std::vector<Rgb>& globalPalette,
                                         const std::vector<GifPictureFrame>& frames)
{
    GifBuilder b;
    b.header().screenWithColors(width, height, globalPalette);
    for (const GifPictureFrame& frame : frames)
        b.picture(frame);
    return b.trailer().bytes();
}

// Three frames walked on a 3x3 screen, of which only the middle one (1x1 at
// 1,1, index 1) has pixels: the other two have an empty rectangle.
inline std::vector<std::uint8_t> oneDecodableFrameGif(int lastDelay)
{
    return GifBuilder()
            .header()
            .screen(3, 3, 0)
            .graphicControl(0, 10)
            .image(0, 0, 0, 1, 0, {3})
            .graphicControl(0, 10)
            .imageDescriptor(1, 1, 1, 1, 0)
            .raw({2, 2, 0x4C, 0x01, 0})  // LZW: clear, index 1, end
            .graphicControl(0, lastDelay)
            .image(0, 0, 1, 0, 0, {3})
            .trailer()
            .bytes();
}

}  // namespace pelkora::testing
