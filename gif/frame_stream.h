#pragma once
// A frame as a stand-alone GIF: the source's header, logical screen and
// global colour table, the frame's bytes and the trailer 0x3B. For tools
// and tests that hand one frame to a decoder of whole files.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "gif/gif_frame.h"

namespace pelkora::gif {

// Nothing when the head or the frame's bytes do not lie inside the data, or
// when the stream cannot be allocated.
std::optional<std::vector<std::uint8_t>> frameStream(const std::uint8_t* data, std::size_t size,
                                                     int globalColorTableSize, const GifFrame& frame);

// 13 + globalColorTableSize + the frame's length + 1.
std::size_t frameStreamLength(int globalColorTableSize, const GifFrame& frame);

}  // namespace pelkora::gif
