#pragma once
// Reads BMP files straight from their bytes: uncompressed, bit-field and
// run-length bitmaps of every depth and header, into the same RGB32 picture
// the platform's reader gives, without its per-file cost and with colour
// masks of any width scaled to 8 bits with rounding.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

// The info-header sizes the format defines: the core header (12), OS/2 2.x
// in full (64) and short (16), and the Windows forms (40, 52, 56, 108, 124).
bool IsBmpInfoHeaderSize(std::uint32_t size);

// Nothing for a file this reader leaves to the platform's (other compressions,
// masks that are not one run of bits, a size beyond surfaceBytes, anything
// irregular in a run-length stream), so that such files decode as they always
// have. A picture with an alpha channel comes flattened onto underneath.
std::optional<DecodedStill> DecodeBmp(const std::uint8_t* data, std::size_t size, const StillRequest& request);

}  // namespace pelkora::decoders
