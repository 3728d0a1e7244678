#pragma once
// Floyd-Steinberg error diffusion into the device's sixteen grey levels, for
// photographs and gradients that band when each pixel is rounded down alone.
//
// The error is reckoned in the grey the device shows: level v appears as
// 255 - 17 v on every channel, so a pixel's grey is R + G + B against
// 3 x 17 = 51 steps a level. A colour that is exactly one of those greys
// (white, black, 0x888888, pure red, yellow, ...) leaves no error and a flat
// area of it stays flat, at the level the plain encoder gives it. Integer
// arithmetic and a fixed serpentine walk: the same bytes on every machine.

#include <cstdint>
#include <vector>

#include "output/dob_writer.h"

namespace pelkora::output {

// One device level a pixel (0 white, 15 black), top row first, w x h.
std::vector<std::uint8_t> ditherToLevels(const PixelView& pixels);

// The whole DOB image of the dithered levels, laid out as EncodeDob lays
// out its own.
std::vector<std::uint8_t> EncodeDobDithered(const PixelView& pixels);

}  // namespace pelkora::output
