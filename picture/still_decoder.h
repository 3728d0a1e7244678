#pragma once
// Decodes a picture that is not a GIF: only formats recognised by their
// content signature are tried, so a text file is never taken for a picture.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <QImage>

#include "core/status.h"

namespace pelkora::picture {

struct DecodedStill {
    // Ok, NotAPicture, BrokenPicture (recognised but not decoded),
    // EmptySurface or SurfaceTooLarge
    Status status = Status::NotAPicture;
    QImage image;                       // RGB32, its decoded pixel size
    std::string reason;                 // the decoder's own words on a failure, if any
    std::vector<std::string> messages;  // what the decoder said on the way
};

// True for data that announces itself as a picture: a GIF, PNG or JPEG
// signature, or a BMP file header with an info header size the format
// defines. Such data that does not decode is a broken picture, not a text.
bool IsRecognisablePicture(const std::uint8_t* data, std::size_t size);

// The Qt format name for the signature at the start of the data, or nullptr.
const char* StillFormatOf(const std::uint8_t* data, std::size_t size);

// surfaceBytes: the largest picture accepted (4 bytes a pixel), checked from
// the header before the pixels are decoded. A picture with an alpha channel
// comes flattened onto the colour given (what it is drawn over), with one
// integer formula, so that every machine gets the same pixels.
DecodedStill DecodeStill(const std::uint8_t* data, std::size_t size, std::uint64_t surfaceBytes, QRgb underneath);

}  // namespace pelkora::picture
