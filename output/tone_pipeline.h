#pragma once
// The grey steps of one capture, in their one order: grey, levels, gamma,
// contrast, invert, dither. Scaling (fit, fill) came before, on the surface.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/image.h"
#include "output/output_options.h"

namespace pelkora::output {

struct ToneSteps {
    GreyWeights grey = GreyWeights::Device;
    bool levelsAuto = false;
    int gamma = kUnchanged;
    int contrast = kUnchanged;
    bool invert = false;
    std::optional<DitherKind> dither;

    // Nothing to do but the device's own formula.
    bool plain() const { return !tones() && !dither; }
    bool tones() const
    {
        return grey != GreyWeights::Device || levelsAuto || gamma != kUnchanged || contrast != kUnchanged || invert;
    }
    friend bool operator==(const ToneSteps&, const ToneSteps&) = default;
};

ToneSteps toneStepsOf(const OutputOptions& options);

// One level a pixel (0 white, 15 black), top row first. pictureArea is
// where the picture lies (empty: everywhere); what lies outside it, the
// letterbox bars, is never dithered and takes no part in levels auto, so it
// stays one flat level.
std::vector<std::uint8_t> toneLevels(const ToneSteps& steps, const PixelView& pixels, const Rect& pictureArea);

}  // namespace pelkora::output
