#pragma once
// JPEG through libjpeg: baseline and progressive, grey, colour at any
// sampling and CMYK, at full size with the library's accurate transform and
// smooth upsampling, as the project has always decoded them. The stored
// orientation is not applied: pictures keep the pixel order of the file.

#include <cstddef>
#include <cstdint>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

// Decoding at a reduced scale in the transform itself: 1/8 to 7/8.
using JpegShrink = ReducedDecode;

// The eighths of the full size that shrink asks for, 8 when none: the
// largest reduction that keeps what ReducedDecode asks.
int JpegScaleEighths(int width, int height, const JpegShrink& shrink);

// Decoded straight into the core image, reduced as request.reduced allows.
// libjpeg's first warning and its error, if any, come back in messages.
DecodedStill DecodeJpeg(const std::uint8_t* data, std::size_t size, const StillRequest& request);

}  // namespace pelkora::decoders
