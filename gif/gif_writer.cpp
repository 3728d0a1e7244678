#include "gif/gif_writer.h"

#include <algorithm>

#include "gif/lzw_encoder.h"

namespace pelkora::gif {

namespace {

void putByte(std::string& out, unsigned value) { out.push_back(static_cast<char>(value & 0xFF)); }

void putWord(std::string& out, unsigned value)
{
    putByte(out, value);
    putByte(out, value >> 8);
}

// The code stream cut into sub-blocks of at most 255 bytes, then the terminator.
void putSubBlocks(std::string& out, const std::vector<std::uint8_t>& data)
{
    for (std::size_t at = 0; at < data.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, data.size() - at);
        putByte(out, static_cast<unsigned>(length));
        out.append(reinterpret_cast<const char*>(data.data() + at), length);
    }
    putByte(out, 0);
}

}  // namespace

GifWriter::GifWriter(int width, int height, const std::vector<std::uint8_t>& paletteRgb)
{
    const std::size_t entries = paletteRgb.size() / 3;
    while ((std::size_t{1} << tableBits_) < entries && tableBits_ < 8)
        ++tableBits_;
    bytes_ = "GIF89a";
    putWord(bytes_, static_cast<unsigned>(width));
    putWord(bytes_, static_cast<unsigned>(height));
    // A global table, 8 bits of colour resolution, its size.
    putByte(bytes_, 0x80u | 0x70u | static_cast<unsigned>(tableBits_ - 1));
    putByte(bytes_, 0);  // background index
    putByte(bytes_, 0);  // aspect ratio: none given
    std::string table(std::size_t{3} << tableBits_, '\0');
    std::copy_n(paletteRgb.begin(), std::min(table.size(), paletteRgb.size()), table.begin());
    bytes_ += table;
    // The application extension that makes viewers loop forever.
    bytes_ += "\x21\xFF\x0BNETSCAPE2.0";
    bytes_ += std::string("\x03\x01\x00\x00\x00", 5);
}

void GifWriter::addFrame(const IndexedImage& image, int delay)
{
    // Graphic control: disposal 1 (left in place), no transparency.
    bytes_ += "\x21\xF9\x04";
    putByte(bytes_, 1u << 2);
    putWord(bytes_, static_cast<unsigned>(std::clamp(delay, 0, kMaxFrameDelay)));
    putByte(bytes_, 0);
    putByte(bytes_, 0);

    putByte(bytes_, 0x2C);
    putWord(bytes_, static_cast<unsigned>(image.left));
    putWord(bytes_, static_cast<unsigned>(image.top));
    putWord(bytes_, static_cast<unsigned>(image.width));
    putWord(bytes_, static_cast<unsigned>(image.height));
    putByte(bytes_, 0);  // no local table, not interlaced
    // Codes of fewer than two bits are not allowed.
    const int minCodeSize = std::max(2, tableBits_);
    putByte(bytes_, static_cast<unsigned>(minCodeSize));
    const std::size_t count = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    putSubBlocks(bytes_, lzwEncode(image.indices.data(), std::min(count, image.indices.size()), minCodeSize));
}

std::string GifWriter::finish()
{
    putByte(bytes_, 0x3B);
    return std::move(bytes_);
}

}  // namespace pelkora::gif
