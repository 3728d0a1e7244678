#pragma once
// Decodes a picture that is not a GIF: only formats recognised by their
// content signature are tried, so a text file is never taken for a picture.

#include <cstddef>
#include <cstdint>

#include <QImage>

#include "output/status.h"

namespace pelkora::picture {

struct DecodedStill {
    Status status = Status::NotAPicture;  // Ok, NotAPicture, EmptySurface or SurfaceTooLarge
    QImage image;                         // ARGB32 premultiplied, its decoded pixel size
};

// The Qt format name for the signature at the start of the data, or nullptr.
const char* StillFormatOf(const std::uint8_t* data, std::size_t size);

// surfaceBytes: the largest picture accepted (4 bytes a pixel), checked from
// the header before the pixels are decoded.
DecodedStill DecodeStill(const std::uint8_t* data, std::size_t size, std::uint64_t surfaceBytes);

}  // namespace pelkora::picture
