#pragma once
// The loop as an animated GIF, to be sent for approval: the frames of
// LoopView in the device's 16 greys, each shown for its entry's time.
//
// A GIF counts delays in hundredths of a second: a time is rounded to the
// nearest (5 ms up), and anything below kShortestGifDelay is shown for that
// long, as most viewers replace shorter delays, 0 among them, by a tenth
// of a second. A time longer than one frame's delay can say (655.35 s) is
// carried on by one-pixel frames that change nothing.

#include <cstddef>
#include <cstdint>
#include <string>

#include "session/loop_view.h"

namespace pelkora::session {

inline constexpr int kShortestGifDelay = 2;
// Beyond this the animation is refused: a package of any length must not
// make a file of any size.
inline constexpr std::size_t kLargestLoopGif = std::size_t{256} << 20;

// The delay in hundredths of a second for milliseconds.
std::uint64_t gifDelayOf(std::uint64_t milliseconds);

struct LoopGif {
    // Why no animation was made; empty when bytes hold it.
    std::string refusal;
    std::string bytes;
    std::size_t frames = 0;       // entries shown
    std::uint64_t centiseconds = 0;  // the loop's length as written
};

LoopGif encodeLoopGif(const LoopView& view, std::size_t largest = kLargestLoopGif);

}  // namespace pelkora::session
