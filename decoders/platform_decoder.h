#pragma once
// The platform's own picture reader, for every still format our decoders
// leave; one implementation a platform, chosen by the build (the format
// libraries on Linux, the system's imaging component on Windows). What it
// hands back is the core image; no toolkit is involved.

#include <cstddef>
#include <cstdint>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

// NotAPicture with the reader's words when it cannot decode the data; what
// the reader said on the way comes in messages.
DecodedStill DecodeOnPlatform(const std::uint8_t* data, std::size_t size, StillFormat format,
                              const StillRequest& request);

}  // namespace pelkora::decoders
