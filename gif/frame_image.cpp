#include "gif/frame_image.h"

#include <algorithm>

#include "gif/gif_scanner.h"

namespace pelkora::gif {

namespace {

bool fits(std::size_t offset, std::size_t count, std::size_t size) { return offset <= size && count <= size - offset; }

ColorTable tableAt(const std::uint8_t* data, std::size_t size, std::size_t offset, int bytes)
{
    if (bytes <= 0 || !fits(offset, static_cast<std::size_t>(bytes), size))
        return {};
    return ColorTable{data + offset, bytes / 3};
}

}  // namespace

ColorTable colorTableOf(const std::uint8_t* data, std::size_t size, const GifFrame& frame)
{
    if (data == nullptr)
        return {};
    if (frame.localColorTableSize > 0)
        return tableAt(data, size, frame.localColorTableOffset, frame.localColorTableSize);
    const std::optional<LogicalScreen> screen = ReadLogicalScreen(data, size);
    if (!screen)
        return {};
    return tableAt(data, size, kHeaderAndScreenBytes, screen->globalColorTableSize);
}

TransparentIndices transparentIndicesOf(const GifFrame& frame, const ColorTable& colors)
{
    return TransparentIndices{std::clamp(colors.entries, 0, 256), frame.transparentIndex.value_or(-1)};
}

bool holdsPixels(const GifFrame& frame)
{
    return frame.hasImage && frame.minCodeSize <= kMaxMinCodeSize && frame.rect.width > 0 && frame.rect.height > 0;
}

int imageRowAt(int n, int height, bool interlaced) { return interlaced ? interlacedRowAt(n, height) : n; }

FrameImageDecoder::FrameImageDecoder() : lzw_(std::make_unique<LzwDecoder>()) {}

DecodedRows FrameImageDecoder::decode(const std::uint8_t* data, std::size_t size, const GifFrame& frame,
                                      std::uint8_t* indices)
{
    DecodedRows rows;
    if (data == nullptr || !holdsPixels(frame) || !fits(frame.offset, frame.length, size))
        return rows;
    // The chain starts after the code size byte and ends with the frame.
    const std::size_t end = frame.offset + frame.length;
    if (frame.imageDataOffset < frame.offset || frame.imageDataOffset >= end)
        return rows;
    const LzwResult result = lzw_->decode(LzwInput{data, frame.imageDataOffset + 1, end, frame.minCodeSize},
                                          LzwOutput{indices, frame.rect.width, frame.rect.height, frame.interlaced});
    rows.status = result.status;
    rows.rowsComplete = static_cast<int>(result.pixels / static_cast<std::size_t>(frame.rect.width));
    // Every pixel there, but a chain cut short after them: the last row
    // counts as lost, as a line-by-line reader finds its error there.
    if (result.chainUnended && rows.rowsComplete > 0)
        --rows.rowsComplete;
    return rows;
}

}  // namespace pelkora::gif
