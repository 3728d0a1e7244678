// The grey steps of the picture controls: each one's table on gradients
// and flat colours, the order they run in, and the dithers' flat areas.
#include "output/tone_pipeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "output/dither.h"
#include "output/dob_writer.h"
#include "output/grey_plane.h"
#include "output/tone_curve.h"

namespace pelkora::output {
namespace {

using Pixels = std::vector<std::uint32_t>;

std::uint32_t grey(int value) { return static_cast<std::uint32_t>(value * 0x010101); }
// Level v as the device shows it.
std::uint32_t deviceGrey(int level) { return grey(255 - 17 * level); }

Pixels ramp(int width, int height, int from, int to)
{
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(grey(from + (to - from) * x / (width - 1)));
    return pixels;
}

PixelView viewOf(const Pixels& pixels, int width)
{
    return {pixels.data(), width, static_cast<int>(pixels.size()) / width, width};
}

std::vector<std::uint8_t> plainGreys(const Pixels& pixels)
{
    std::vector<std::uint8_t> levels;
    for (std::uint32_t p : pixels)
        levels.push_back(greyOf(p));
    return levels;
}

TEST(ToneTables, EachControlKeepsItsPromise)
{
    const struct {
        const char* name;
        ToneTable table;
        int black, mid, white;  // where 0, 382 and 765 go
    } cases[] = {
            {"gamma 1 is no change", gammaTone(100), 0, 382, 765},
            {"gamma 2.2 lightens the middle", gammaTone(220), 0, 558, 765},
            {"gamma 0.5 darkens it", gammaTone(50), 0, 191, 765},
            {"contrast 1 is no change", contrastTone(100), 0, 382, 765},
            {"contrast 2 clamps the ends", contrastTone(200), 0, 382, 765},
            {"contrast 0.5 greys them", contrastTone(50), 191, 382, 574},
            {"invert", invertTone(), 765, 383, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.table[0], c.black);
        EXPECT_EQ(c.table[382], c.mid);
        EXPECT_EQ(c.table[765], c.white);
        for (std::size_t g = 1; g < c.table.size(); ++g)
            ASSERT_EQ(c.table[g] >= c.table[g - 1], c.black < c.white) << g;
    }
    EXPECT_EQ(gammaTone(100), identityTone());
    EXPECT_EQ(then(invertTone(), invertTone()), identityTone());
}

TEST(ToneTables, LevelsAutoStretchesThePicturesOwnRange)
{
    // 1000 pixels from 300 to 499 (channel sum), and 4 outliers at each end:
    // fewer than the share left out.
    GreyPlane plane{1008, 1, {}};
    for (int i = 0; i < 1000; ++i)
        plane.values.push_back(300 + i / 5);
    for (int i = 0; i < 4; ++i) {
        plane.values.push_back(0);
        plane.values.push_back(765);
    }
    const ToneTable table = levelsStretch(plane, {0, 0, 1008, 1});
    EXPECT_EQ(table[300], 0);
    EXPECT_EQ(table[499], 765);
    EXPECT_EQ(table[400], 384);

    const GreyPlane flat{4, 1, {400, 400, 400, 400}};
    EXPECT_EQ(levelsStretch(flat, {0, 0, 4, 1}), identityTone());
}

TEST(ToneSteps, RunInTheirOrderAndLeaveDeviceGreysFlat)
{
    const Pixels gradient = ramp(64, 4, 64, 191);
    ToneSteps luma;
    luma.grey = GreyWeights::Luma;
    ToneSteps inverted;
    inverted.invert = true;
    ToneSteps stretched;
    stretched.levelsAuto = true;
    ToneSteps stretchedInverted = stretched;
    stretchedInverted.invert = true;

    const struct {
        const char* name;
        ToneSteps steps;
        Pixels pixels;
        int width;
        std::vector<std::uint8_t> expected;
    } cases[] = {
            {"nothing asked: the device's own formula", {}, gradient, 64, plainGreys(gradient)},
            {"luma on a grey picture changes nothing", luma, gradient, 64, plainGreys(gradient)},
            {"invert of device greys: the opposite levels",
             inverted,
             {deviceGrey(0), deviceGrey(3), deviceGrey(15)},
             3,
             {15, 12, 0}},
            {"levels alone", stretched, {grey(64), grey(128), grey(191)}, 3, {15, 7, 0}},
            {"levels before invert: the same stretch, end for end",
             stretchedInverted,
             {grey(64), grey(128), grey(191)},
             3,
             {0, 8, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toneLevels(c.steps, viewOf(c.pixels, c.width), {}), c.expected);
    }
}

TEST(ToneSteps, LumaTellsBrandColoursApart)
{
    // A logo's blue and yellow: two levels apart as the device counts them,
    // six as the eye does.
    const Pixels logo = {0x3060C0, 0xF0C000};
    ToneSteps luma;
    luma.grey = GreyWeights::Luma;
    const std::vector<std::uint8_t> device = toneLevels({}, viewOf(logo, 2), {});
    const std::vector<std::uint8_t> eye = toneLevels(luma, viewOf(logo, 2), {});
    EXPECT_EQ(device[0] - device[1], 2);
    EXPECT_EQ(eye[0] - eye[1], 6);
}

TEST(Dithers, FlatDeviceGreysStayFlatAndBarsAreNeverDotted)
{
    for (DitherKind kind : {DitherKind::FloydSteinberg, DitherKind::Atkinson, DitherKind::Ordered}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ToneSteps steps;
        steps.dither = kind;
        for (int level : {0, 4, 7, 15}) {
            const Pixels flat(48, deviceGrey(level));
            EXPECT_EQ(toneLevels(steps, viewOf(flat, 8), {}), std::vector<std::uint8_t>(48, level));
        }
        // A 16x8 capture whose picture is the middle 16x4: bars above and
        // below in the surface colour, which is no device grey.
        Pixels letterboxed(128, 0xF0F0F0);
        for (int y = 2; y < 6; ++y)
            for (int x = 0; x < 16; ++x)
                letterboxed[static_cast<std::size_t>(y * 16 + x)] = grey(60 + 8 * x);
        const std::vector<std::uint8_t> levels = toneLevels(steps, viewOf(letterboxed, 16), {0, 2, 16, 4});
        for (int x = 0; x < 16; ++x) {
            for (int y : {0, 1, 6, 7})
                ASSERT_EQ(levels[static_cast<std::size_t>(y * 16 + x)], greyOf(0xF0F0F0)) << x << "," << y;
        }
        // Dithering spreads the picture's gradient over more levels than rounding.
        const Pixels gradient = ramp(64, 8, 0, 255);
        long long shown = 0, truth = 0;
        const std::vector<std::uint8_t> dithered = toneLevels(steps, viewOf(gradient, 64), {});
        for (std::size_t i = 0; i < gradient.size(); ++i) {
            shown += 17 * (15 - dithered[i]);
            truth += gradient[i] & 0xFF;
        }
        EXPECT_NEAR(static_cast<double>(shown) / static_cast<double>(truth), 1.0, 0.06);
    }
}

TEST(Dithers, FloydSteinbergOfTheDevicesGreysIsTheOldDither)
{
    const Pixels gradient = ramp(97, 13, 10, 240);
    ToneSteps steps;
    steps.dither = DitherKind::FloydSteinberg;
    EXPECT_EQ(toneLevels(steps, viewOf(gradient, 97), {}), ditherToLevels(viewOf(gradient, 97)));
}

}  // namespace
}  // namespace pelkora::output
