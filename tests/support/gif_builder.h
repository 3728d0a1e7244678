#pragma once
// Writes GIF byte arrays from a readable recipe, block by block, so that tests
// can state a file's structure instead of carrying binary blobs. Structural
// only: image data is either given or filler bytes of the requested
// sub-block sizes, never real LZW.
//
//   auto gif = GifBuilder()
//                  .header()
//                  .screen(16, 16, 0)            // gct of 2 entries (6 bytes)
//                  .graphicControl(0x08, 10)
//                  .image(0, 0, 16, 16, 0x00, {3})
//                  .trailer()
//                  .bytes();

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace pelkora::testing {

class GifBuilder {
public:
    using Bytes = std::vector<std::uint8_t>;

    // Bytes of a colour table announced by a packed field's low three bits.
    static std::size_t colorTableBytes(int sizeBits) {
        return 3u * (std::size_t{1} << ((sizeBits & 7) + 1));
    }

    GifBuilder& header(std::string_view signature = "GIF89a") {
        for (char c : signature) byte(static_cast<std::uint8_t>(c));
        return *this;
    }

    // Logical screen descriptor; with gctBits set it announces and writes a
    // global colour table of 2^(gctBits+1) entries.
    GifBuilder& screen(int width, int height, std::optional<int> gctBits = std::nullopt,
                       std::uint8_t background = 0, std::uint8_t aspect = 0) {
        word(width);
        word(height);
        byte(gctBits ? static_cast<std::uint8_t>(0x80 | (*gctBits & 7)) : std::uint8_t{0});
        byte(background);
        byte(aspect);
        if (gctBits) colorTable(*gctBits);
        return *this;
    }

    // A logical screen descriptor with a packed byte as given and no table
    // written, for files that announce more than they hold.
    GifBuilder& screenPacked(int width, int height, std::uint8_t packed) {
        word(width);
        word(height);
        byte(packed);
        byte(0);
        byte(0);
        return *this;
    }

    GifBuilder& colorTable(int sizeBits) {
        const std::size_t n = colorTableBytes(sizeBits);
        for (std::size_t i = 0; i < n; ++i) byte(static_cast<std::uint8_t>(i * 37 + 11));
        return *this;
    }

    GifBuilder& graphicControl(std::uint8_t packed, int delay, std::uint8_t transparent = 0) {
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
                      std::initializer_list<std::size_t> subBlockSizes, std::uint8_t minCodeSize = 2) {
        return image(left, top, width, height, packed, std::vector<std::size_t>(subBlockSizes),
                     minCodeSize);
    }

    GifBuilder& image(int left, int top, int width, int height, std::uint8_t packed,
                      const std::vector<std::size_t>& subBlockSizes, std::uint8_t minCodeSize = 2) {
        imageDescriptor(left, top, width, height, packed);
        if (packed & 0x80) colorTable(packed & 7);
        byte(minCodeSize);
        return subBlocks(subBlockSizes);
    }

    // The ten bytes of an image descriptor alone.
    GifBuilder& imageDescriptor(int left, int top, int width, int height, std::uint8_t packed) {
        byte(0x2C);
        word(left);
        word(top);
        word(width);
        word(height);
        byte(packed);
        return *this;
    }

    GifBuilder& comment(std::string_view text) {
        byte(0x21);
        byte(0xFE);
        return textSubBlocks(text);
    }

    // Application extension: size byte 11, 8-byte identifier, 3-byte code.
    GifBuilder& application(std::string_view identifierAndCode, std::initializer_list<std::size_t> subBlockSizes) {
        byte(0x21);
        byte(0xFF);
        byte(11);
        for (std::size_t i = 0; i < 11; ++i)
            byte(i < identifierAndCode.size() ? static_cast<std::uint8_t>(identifierAndCode[i]) : ' ');
        return subBlocks(std::vector<std::size_t>(subBlockSizes));
    }

    GifBuilder& netscapeLoop(int count = 0) {
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
    GifBuilder& plainText(int left, int top, int width, int height, std::string_view text) {
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
    GifBuilder& subBlocks(const std::vector<std::size_t>& sizes) {
        for (std::size_t n : sizes) {
            byte(static_cast<std::uint8_t>(n));
            for (std::size_t i = 0; i < n; ++i) byte(static_cast<std::uint8_t>(i + n));
        }
        byte(0);
        return *this;
    }

    GifBuilder& trailer() { return byte(0x3B); }

    GifBuilder& raw(std::initializer_list<std::uint8_t> values) {
        out_.insert(out_.end(), values);
        return *this;
    }

    GifBuilder& byte(std::uint8_t value) {
        out_.push_back(value);
        return *this;
    }

    GifBuilder& word(int value) {
        byte(static_cast<std::uint8_t>(value & 0xFF));
        return byte(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }

    // Drops bytes from the end, to cut a file short.
    GifBuilder& dropLast(std::size_t count) {
        out_.resize(count < out_.size() ? out_.size() - count : 0);
        return *this;
    }

    // Offset of the next byte to be written: where the next block begins.
    std::size_t offset() const { return out_.size(); }
    const Bytes& bytes() const { return out_; }

private:
    GifBuilder& textSubBlocks(std::string_view text) {
        while (!text.empty()) {
            const std::size_t n = text.size() < 255 ? text.size() : 255;
            byte(static_cast<std::uint8_t>(n));
            for (std::size_t i = 0; i < n; ++i) byte(static_cast<std::uint8_t>(text[i]));
            text.remove_prefix(n);
        }
        byte(0);
        return *this;
    }

    Bytes out_;
};

}  // namespace pelkora::testing
