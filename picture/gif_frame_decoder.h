#pragma once
// Decodes the first image of a GIF held in memory (a frame stream, or a
// one-frame GIF) into a picture of the image's own rectangle: its own
// indices through its own colour table (local, else global), the transparent
// index of its graphic control extension at alpha 0. Never the logical
// screen's canvas: composition is the caller's.

#include <cstddef>
#include <cstdint>

#include <QImage>

#include "core/status.h"

namespace pelkora::picture {

struct DecodedGifImage {
    Status status = Status::NotAPicture;  // Ok, NotAPicture or FramesTooLarge
    QImage image;                         // ARGB32 premultiplied, width x height
    int left = 0;
    int top = 0;
};

// budgetBytes: what the picture may take (4 bytes a pixel); an image larger
// than that is refused before anything is allocated.
DecodedGifImage DecodeGifImage(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes);

}  // namespace pelkora::picture
