#include "picture/gif_frame_decoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>


namespace pelkora::picture {

namespace {

DecodedGifImage decodeImage(const std::uint8_t* data, const std::optional<gif::FrameImage>& found,
                            std::uint64_t budgetBytes)
{
    DecodedGifImage result;
    if (!found)
        return result;
    const gif::FrameImage& image = *found;
    const int width = image.rect.width;
    const int height = image.rect.height;
    if (width <= 0 || height <= 0)
        return result;
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
    const gif::DecodedRows rows = decoder.decode(data, image, indices.data());
    const std::array<Pixel, 256> palette = paletteOf(image);
    for (int n = 0; n < rows.rowsComplete; ++n) {
        const int y = gif::imageRowAt(n, height, image.interlaced);
        const std::uint8_t* in = indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        Pixel* out = picture.row(y);
        for (int x = 0; x < width; ++x)
            out[x] = palette[in[x]];
    }
    result.status = Status::Ok;
    result.image = std::move(picture);
    result.left = image.rect.left;
    result.top = image.rect.top;
    return result;
}

}  // namespace

std::array<Pixel, 256> paletteOf(const gif::FrameImage& image)
{
    std::array<Pixel, 256> palette{};
    const int count = std::clamp(image.colors.entries, 0, 256);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* c = image.colors.rgb + 3 * i;
        palette[static_cast<std::size_t>(i)] = opaque(std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2]);
    }
    if (image.transparentIndex && *image.transparentIndex >= 0 && *image.transparentIndex < 256)
        palette[static_cast<std::size_t>(*image.transparentIndex)] = 0;
    return palette;
}

DecodedGifImage DecodeGifImage(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes)
{
    if (data == nullptr || size == 0)
        return {};
    return decodeImage(data, gif::locateFirstImage(data, size), budgetBytes);
}

DecodedGifImage DecodeGifFrame(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame,
                               std::uint64_t budgetBytes)
{
    if (data == nullptr || size == 0)
        return {};
    return decodeImage(data, gif::locateFrameImage(data, size, frame), budgetBytes);
}

std::optional<FrameIndexDecoder::Indices> FrameIndexDecoder::decode(const std::uint8_t* data, std::size_t size,
                                                                    const gif::GifFrame& frame)
{
    if (data == nullptr || size == 0)
        return std::nullopt;
    const std::optional<gif::FrameImage> image = gif::locateFrameImage(data, size, frame);
    if (!image || image->rect.width <= 0 || image->rect.height <= 0)
        return std::nullopt;
    // The load charged the largest rectangle to its limit, so this is bounded.
    buffer_.resize(static_cast<std::size_t>(image->rect.width) * static_cast<std::size_t>(image->rect.height));
    const gif::DecodedRows rows = decoder_.decode(data, *image, buffer_.data());
    return Indices{*image, rows, buffer_.data()};
}

}  // namespace pelkora::picture
