#pragma once
// The one way in to the still-picture decoders (everything but GIF, which
// the picture model reads itself): only formats recognised by their content
// signature are tried, so a text file is never taken for a picture. BMP is
// read by our own decoder; what it leaves, and every other format, goes to
// the platform's picture reader.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/image.h"
#include "core/status.h"

namespace pelkora::decoders {

struct DecodedStill {
    // Ok, NotAPicture, BrokenPicture (recognised but not decoded),
    // EmptySurface or SurfaceTooLarge
    Status status = Status::NotAPicture;
    Image image;                        // its decoded pixel size, every pixel opaque
    std::string reason;                 // the decoder's own words on a failure, if any
    std::vector<std::string> messages;  // what the decoder said on the way
};

// What every decoder is asked for.
struct StillRequest {
    // The largest picture accepted (4 bytes a pixel), checked from the
    // header before the pixels are decoded.
    std::uint64_t surfaceBytes = 0;
    // What a picture with an alpha channel is drawn over: it comes flattened
    // onto this colour with one integer formula, so that every machine gets
    // the same pixels.
    Pixel underneath = 0xFF000000;
};

enum class StillFormat { Bmp, Png, Jpeg, Ico, Webp, Tiff };

// The format whose signature the data starts with, if any.
std::optional<StillFormat> StillFormatOf(const std::uint8_t* data, std::size_t size);

// True for data that announces itself as a picture: a GIF, PNG, JPEG, WebP
// or TIFF signature, or a BMP file header with an info header size the format
// defines. Such data that does not decode is a broken picture, not a text.
bool IsRecognisablePicture(const std::uint8_t* data, std::size_t size);

// Data without a known signature is NotAPicture; recognisable data that no
// decoder takes is a BrokenPicture, its reason what the decoders said.
DecodedStill DecodeStill(const std::uint8_t* data, std::size_t size, const StillRequest& request);

// The blend of one 8-bit channel over another, alpha 0 to 255, rounded.
inline std::uint32_t blendChannel(std::uint32_t over, std::uint32_t under, std::uint32_t alpha)
{
    return (over * alpha + under * (255 - alpha) + 127) / 255;
}

}  // namespace pelkora::decoders
