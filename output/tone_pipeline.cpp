#include "output/tone_pipeline.h"

#include "output/dither.h"
#include "output/dob_writer.h"
#include "output/grey_plane.h"
#include "output/tone_curve.h"

namespace pelkora::output {

namespace {

ToneTable toneTableFor(const ToneSteps& steps, const GreyPlane& plane, const Rect& area)
{
    ToneTable table = steps.levelsAuto ? levelsStretch(plane, area) : identityTone();
    if (steps.gamma != kUnchanged)
        table = then(table, gammaTone(steps.gamma));
    if (steps.contrast != kUnchanged)
        table = then(table, contrastTone(steps.contrast));
    if (steps.invert)
        table = then(table, invertTone());
    return table;
}

// Without tones every pixel keeps the device's own formula, as a package
// without controls always had it.
std::vector<std::uint8_t> plainLevels(const ToneSteps& steps, const PixelView& pixels, const GreyPlane& plane)
{
    std::vector<std::uint8_t> levels(plane.values.size());
    if (steps.tones()) {
        for (std::size_t i = 0; i < levels.size(); ++i)
            levels[i] = plainLevel(plane.values[i]);
        return levels;
    }
    std::size_t i = 0;
    for (int y = 0; y < pixels.height; ++y) {
        const Pixel* row = pixels.row(y);
        for (int x = 0; x < pixels.width; ++x, ++i)
            levels[i] = greyOf(row[x]);
    }
    return levels;
}

void ditherInside(DitherKind kind, const GreyPlane& plane, const Rect& area, std::vector<std::uint8_t>& levels)
{
    const std::vector<std::uint8_t> dithered = ditherWith(kind, cutOut(plane, area));
    std::size_t i = 0;
    for (int y = area.top; y < area.bottom(); ++y) {
        for (int x = area.left; x < area.right(); ++x, ++i)
            levels[static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width) + static_cast<std::size_t>(x)] =
                    dithered[i];
    }
}

}  // namespace

ToneSteps toneStepsOf(const OutputOptions& options)
{
    ToneSteps steps{options.grey, options.levelsAuto, options.gamma, options.contrast, options.invert, std::nullopt};
    if (options.dither)
        steps.dither = options.ditherKind;
    return steps;
}

std::vector<std::uint8_t> toneLevels(const ToneSteps& steps, const PixelView& pixels, const Rect& pictureArea)
{
    if (pixels.width <= 0 || pixels.height <= 0 || pixels.pixels == nullptr)
        return {};
    const Rect whole{0, 0, pixels.width, pixels.height};
    const Rect area = pictureArea.empty() ? whole : pictureArea.intersected(whole);
    GreyPlane plane = greyPlaneOf(pixels, steps.grey);
    if (steps.tones() && !area.empty())
        applyTone(toneTableFor(steps, plane, area), plane);
    std::vector<std::uint8_t> levels = plainLevels(steps, pixels, plane);
    if (steps.dither && !area.empty())
        ditherInside(*steps.dither, plane, area, levels);
    return levels;
}

}  // namespace pelkora::output
