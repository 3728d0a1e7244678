#pragma once
// The opt-in ways of writing pictures. Every field off is the package as it
// has always been written, byte for byte.

#include <optional>
#include <string>
#include <string_view>

#include "output/size.h"

namespace pelkora::output {

struct OutputOptions {
    // Every frame of an animation captured at the whole logical screen, as
    // composed on it, instead of at the frame's own rectangle.
    bool fullFrames = false;
    // Error diffusion into the sixteen levels instead of plain rounding down.
    bool dither = false;
    // Pictures larger than this are scaled down into it.
    std::optional<Size> fit;
    // The device's screen, when known: --fit without a size fits to it, and
    // with center a whole picture smaller than it is centred on it.
    std::optional<Size> screen;
    bool center = false;

    // Whether anything is written other than by default; a screen alone changes nothing.
    bool any() const { return fullFrames || dither || fit.has_value() || center; }
    friend bool operator==(const OutputOptions&, const OutputOptions&) = default;
};

// "full frames, dither, fit 128x64, screen 128x64 centred": what is on, in that order; empty when
// nothing is.
std::string describeOptions(const OutputOptions& options);

}  // namespace pelkora::output
