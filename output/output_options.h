#pragma once
// The opt-in ways of writing pictures. Every field off is the package as it
// has always been written, byte for byte.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "output/size.h"

namespace pelkora::output {

// How a colour becomes one grey.
enum class GreyWeights {
    Device,  // the device's own: the three channels counted alike
    Luma,    // BT.601: 0.299 R + 0.587 G + 0.114 B, as the eye weighs them
};

// How the greys are spread over the sixteen levels when dither is on.
enum class DitherKind { FloydSteinberg, Atkinson, Ordered };

// Gamma and contrast are held in hundredths, so that every machine reads
// "1.8" as the same number.
inline constexpr int kUnchanged = 100;

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

    // The picture controls, applied in this order after scaling.
    // With fit: cover the whole size and crop the centre instead of
    // letterboxing.
    bool fill = false;
    GreyWeights grey = GreyWeights::Device;
    // The picture's own darkest and lightest stretched to black and white.
    bool levelsAuto = false;
    int gamma = kUnchanged;     // above 100 lightens the middle greys
    int contrast = kUnchanged;  // a factor about mid grey
    bool invert = false;
    DitherKind ditherKind = DitherKind::FloydSteinberg;  // when dither is on
    // Letterbox bars and what transparent pixels show; the dialog's surface
    // colour when unset.
    std::optional<std::uint32_t> background = std::nullopt;

    // Whether a grey control changes the greys before they become levels.
    bool tones() const
    {
        return grey != GreyWeights::Device || levelsAuto || gamma != kUnchanged || contrast != kUnchanged || invert;
    }
    // Whether anything is written other than by default; a screen alone
    // changes nothing.
    bool any() const
    {
        return fullFrames || dither || fit.has_value() || center || fill || tones()
               || ditherKind != DitherKind::FloydSteinberg || background.has_value();
    }
    friend bool operator==(const OutputOptions&, const OutputOptions&) = default;
};

// "full frames, dither, fit 128x64, screen 128x64 centred": what is on, in that order; empty when
// nothing is.
std::string describeOptions(const OutputOptions& options);

}  // namespace pelkora::output
