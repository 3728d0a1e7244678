#pragma once
// Decodes the image of one walked GIF frame into a picture of the image's
// own rectangle: its own indices through its own colour table (local, else
// global), the transparent index of its graphic control extension as pixel
// 0. Never the logical screen's canvas: composition is the caller's. Rows
// the data does not hold stay 0 too: what decoded is shown
// (gif::GifQuirk::ShortImageData).

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "gif/frame_image.h"
#include "gif/gif_frame.h"

namespace pelkora::picture {

struct DecodedGifImage {
    Status status = Status::NotAPicture;  // Ok, NotAPicture or FramesTooLarge
    Image image;                          // width x height; 0 where nothing is drawn
    int left = 0;
    int top = 0;
};

// The colour table as opaque pixels; the indices that draw nothing are 0
// (alpha 0), the mark of an index that leaves the pixel beneath.
std::array<Pixel, 256> paletteOf(const gif::ColorTable& colors, const gif::TransparentIndices& holes);

// The image of one walked frame. budgetBytes: what the picture may take (4
// bytes a pixel); an image larger than that is refused before anything is
// allocated.
DecodedGifImage DecodeGifFrame(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame,
                               std::uint64_t budgetBytes);

// A walked frame's indices, decoded into one buffer that every frame reuses
// (a byte a pixel of the frame's rectangle), for composing straight onto a
// surface. One thread at a time.
class FrameIndexDecoder {
public:
    struct Indices {
        const gif::GifFrame* frame = nullptr;  // the record decoded, the caller's
        gif::ColorTable colors;
        gif::TransparentIndices holes;
        gif::DecodedRows rows;
        const std::uint8_t* indices = nullptr;  // frame->rect.width per row, valid until the next decode
    };
    // Nothing when the frame holds no image with area.
    std::optional<Indices> decode(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame);

private:
    gif::FrameImageDecoder decoder_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace pelkora::picture
