#pragma once
// The last grey step: lightness (grey_plane.h) into the device's sixteen
// levels, by error diffusion (Floyd-Steinberg, Atkinson), by an ordered
// pattern, or by plain rounding down.
//
// The error is reckoned in the grey the device shows: level v appears as
// 255 - 17 v on every channel, so a pixel's grey is R + G + B against
// 3 x 17 = 51 steps a level. A colour that is exactly one of those greys
// (white, black, 0x888888, pure red, yellow, ...) leaves no error and a flat
// area of it stays flat, at the level the plain encoder gives it. Integer
// arithmetic and a fixed walk: the same bytes on every machine.

#include <cstdint>
#include <vector>

#include "output/dob_writer.h"
#include "output/grey_plane.h"

namespace pelkora::output {

// One device level a pixel (0 white, 15 black), top row first, as the
// plane lies.
std::vector<std::uint8_t> ditherFloydSteinberg(const GreyPlane& plane);
std::vector<std::uint8_t> ditherAtkinson(const GreyPlane& plane);
std::vector<std::uint8_t> ditherOrdered(const GreyPlane& plane);
std::vector<std::uint8_t> ditherWith(DitherKind kind, const GreyPlane& plane);

// Without dither: the device's own rounding, which for a grey colour
// (R = G = B = c) is level 15 - c / 16.
std::uint8_t plainLevel(int lightness);

// The level (0 white, 15 black) of the lightness step nearest to a value
// in sixteenths of a lightness unit; halves go to the lighter one.
std::uint8_t nearestLevel(int sixteenths);

// Floyd-Steinberg of the device's own greys, as --dither always wrote it.
std::vector<std::uint8_t> ditherToLevels(const PixelView& pixels);

// The whole DOB image of the dithered levels, laid out as EncodeDob lays
// out its own.
std::vector<std::uint8_t> EncodeDobDithered(const PixelView& pixels);

// The DOB image of levels laid out top row first, width x height.
std::vector<std::uint8_t> EncodeDobLevels(const std::vector<std::uint8_t>& levels, int width, int height);

}  // namespace pelkora::output
