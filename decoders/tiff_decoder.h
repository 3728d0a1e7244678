#pragma once
// TIFF through libtiff: the first page, in any colour model libtiff turns
// into RGBA, a transparent one flattened onto the colour asked for. Read
// from memory; no single allocation may pass a bound set by the surface
// limit, whatever the file's header claims.

#include <cstddef>
#include <cstdint>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

// libtiff's errors and warnings come back in messages, each as
// "libtiff error: ..." or "libtiff warning: ...".
DecodedStill DecodeTiff(const std::uint8_t* data, std::size_t size, const StillRequest& request);

}  // namespace pelkora::decoders
