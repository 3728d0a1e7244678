#pragma once
// Windows icons: the first picture of the icon's directory, whether it is
// stored as a PNG or as a bitmap with its transparency mask.

#include <cstddef>
#include <cstdint>

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

DecodedStill DecodeIco(const std::uint8_t* data, std::size_t size, const StillRequest& request);

}  // namespace pelkora::decoders
