#pragma once
// Decodes one image of a GIF held in memory into a picture of the image's
// own rectangle: its own indices through its own colour table (local, else
// global), the transparent index of its graphic control extension as pixel
// 0. Never the logical screen's canvas: composition is the caller's. Rows
// the data does not hold stay 0 too: what decoded is shown.

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

// The image's colour table as opaque pixels; indices beyond it and the
// transparent index are 0 (alpha 0), the mark of an index that draws nothing.
std::array<Pixel, 256> paletteOf(const gif::FrameImage& image);

// The first image of a whole GIF file (a one-frame GIF). budgetBytes: what
// the picture may take (4 bytes a pixel); an image larger than that is
// refused before anything is allocated.
DecodedGifImage DecodeGifImage(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes);

// The image of one walked frame, read as if the frame stood alone after the
// file's header and global colour table.
DecodedGifImage DecodeGifFrame(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame,
                               std::uint64_t budgetBytes);

// A walked frame's indices, decoded into one buffer that every frame reuses
// (a byte a pixel of the frame's rectangle), for composing straight onto a
// surface. One thread at a time.
class FrameIndexDecoder {
public:
    struct Indices {
        gif::FrameImage image;
        gif::DecodedRows rows;
        const std::uint8_t* indices = nullptr;  // image.rect.width per row, valid until the next decode
    };
    // Nothing when the frame holds no image with area.
    std::optional<Indices> decode(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame);

private:
    gif::FrameImageDecoder decoder_;
    std::vector<std::uint8_t> buffer_;
};

}  // namespace pelkora::picture
