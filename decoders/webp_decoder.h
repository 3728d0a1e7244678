#pragma once
// WebP through libwebp: the still picture (lossy or lossless), a transparent
// one flattened onto the colour asked for. An animation is refused with its
// reason rather than shown as its first frame.

#include <cstddef>
#include <cstdint>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

DecodedStill DecodeWebp(const std::uint8_t* data, std::size_t size, const StillRequest& request);

}  // namespace pelkora::decoders
