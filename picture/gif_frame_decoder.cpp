#include "picture/gif_frame_decoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace pelkora::picture {

std::array<Pixel, 256> paletteOf(const gif::ColorTable& colors, const gif::TransparentIndices& holes)
{
    // Every index past the table is a hole, left at 0.
    std::array<Pixel, 256> palette{};
    for (int i = 0; i < holes.tableEntries; ++i) {
        if (holes.contains(static_cast<std::uint8_t>(i)))
            continue;
        const std::uint8_t* c = colors.rgb + 3 * i;
        palette[static_cast<std::size_t>(i)] = opaque(std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2]);
    }
    return palette;
}

DecodedGifImage DecodeGifFrame(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame,
                               std::uint64_t budgetBytes)
{
    DecodedGifImage result;
    if (data == nullptr || size == 0 || !gif::holdsPixels(frame))
        return result;
    const int width = frame.rect.width;
    const int height = frame.rect.height;
    if (rgb32Bytes(width, height) > budgetBytes) {
        result.status = Status::FramesTooLarge;
        return result;
    }
    Image picture(width, height);
    if (picture.isNull())
        return result;
    picture.fill(0);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    gif::FrameImageDecoder decoder;
    const gif::DecodedRows rows = decoder.decode(data, size, frame, indices.data());
    const gif::ColorTable colors = gif::colorTableOf(data, size, frame);
    const std::array<Pixel, 256> palette = paletteOf(colors, gif::transparentIndicesOf(frame, colors));
    for (int n = 0; n < rows.rowsComplete; ++n) {
        const int y = gif::imageRowAt(n, height, frame.interlaced);
        const std::uint8_t* in = indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        Pixel* out = picture.row(y);
        for (int x = 0; x < width; ++x)
            out[x] = palette[in[x]];
    }
    result.status = Status::Ok;
    result.image = std::move(picture);
    result.left = frame.rect.left;
    result.top = frame.rect.top;
    return result;
}

std::optional<FrameIndexDecoder::Indices> FrameIndexDecoder::decode(const std::uint8_t* data, std::size_t size,
                                                                    const gif::GifFrame& frame)
{
    if (data == nullptr || size == 0 || !gif::holdsPixels(frame))
        return std::nullopt;
    // The load charged the largest rectangle to its limit, so this is bounded.
    buffer_.resize(static_cast<std::size_t>(frame.rect.width) * static_cast<std::size_t>(frame.rect.height));
    const gif::DecodedRows rows = decoder_.decode(data, size, frame, buffer_.data());
    const gif::ColorTable colors = gif::colorTableOf(data, size, frame);
    return Indices{&frame, colors, gif::transparentIndicesOf(frame, colors), rows, buffer_.data()};
}

}  // namespace pelkora::picture
