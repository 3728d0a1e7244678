#pragma once
// The DOB pixel loop: 32-bit pixels in, 4-bit inverted grey levels out, two
// to a byte, the first pixel in the low nibble.

#include <cstddef>
#include <cstdint>

namespace pelkora::output {

// Packs count pixels laid end to end (no gaps between rows) into
// (count + 1) / 2 bytes at out; an odd last pixel fills a low nibble alone.
// The same bytes come out on every machine, whichever loop the CPU runs.
void packGreyPairs(const std::uint32_t* pixels, std::size_t count, std::uint8_t* out);

// The same without the wide-vector loop: what runs where the CPU lacks it,
// kept callable so that the two can be held against each other anywhere.
void packGreyPairsPlain(const std::uint32_t* pixels, std::size_t count, std::uint8_t* out);

}  // namespace pelkora::output
