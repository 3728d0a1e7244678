#pragma once
// PNG through libpng, every colour type and depth, with the pixels the
// project has always given: no gamma applied, 16-bit samples rounded to 8,
// transparent ones flattened onto the colour asked for.

#include <cstddef>
#include <cstdint>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

// libpng's warnings and errors come back in messages, each as
// "libpng warning: ..." or "libpng error: ...".
DecodedStill DecodePng(const std::uint8_t* data, std::size_t size, const StillRequest& request);

}  // namespace pelkora::decoders
