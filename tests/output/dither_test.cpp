// Error diffusion into the device levels: gradients keep their order and
// their mean, flat colours that are device greys stay as the plain encoder
// writes them, and the bytes depend on nothing but the pixels.
#include "output/dither.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "output/dob_writer.h"
#include "output/output_options.h"

namespace pelkora::output {
namespace {

using Pixels = std::vector<std::uint32_t>;

std::uint32_t grey(int value) { return static_cast<std::uint32_t>(value * 0x010101); }

// Columns running from white on the left to black on the right.
Pixels horizontalGradient(int width, int height)
{
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(grey(255 - x * 255 / (width - 1)));
    return pixels;
}

PixelView viewOf(const Pixels& pixels, int width, int height) { return PixelView{pixels.data(), width, height, width}; }

// The grey the device shows for a level, on the channel-sum scale the
// dither balances on.
double shownLightness(int level) { return 17.0 * (15 - level); }

TEST(DitherGradient, ColumnBandsGetDarkerAndTrackTheTrueGrey)
{
    struct Case {
        int width, height, band;
    };
    for (const Case& c : std::vector<Case>{{256, 32, 8}, {97, 41, 6}, {300, 7, 20}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const Pixels pixels = horizontalGradient(c.width, c.height);
        const std::vector<std::uint8_t> levels = ditherToLevels(viewOf(pixels, c.width, c.height));
        ASSERT_EQ(levels.size(), pixels.size());
        double previous = -1;
        double worstBandError = 0;
        for (int start = 0; start + c.band <= c.width; start += c.band) {
            double shown = 0, truth = 0;
            for (int y = 0; y < c.height; ++y) {
                for (int x = start; x < start + c.band; ++x) {
                    const std::size_t i = static_cast<std::size_t>(y * c.width + x);
                    ASSERT_LE(levels[i], 15);
                    shown += shownLightness(levels[i]);
                    truth += pixels[i] & 0xFF;
                }
            }
            const double count = c.band * c.height;
            const double darkness = 255 - shown / count;
            EXPECT_GE(darkness, previous - 1e-9) << "band at " << start;
            previous = darkness;
            worstBandError = std::max(worstBandError, std::abs(shown - truth) / count);
        }
        // Plain rounding down is off by up to a whole level (17); diffusion
        // keeps a band's mean within a fraction of it.
        EXPECT_LT(worstBandError, 4.0);
    }
}

TEST(DitherGradient, UsesLevelsBetweenThePlainBands)
{
    // A slow ramp that the plain encoder turns into a handful of flat bands:
    // diffusion mixes neighbouring levels inside each band.
    const int width = 64, height = 16;
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(grey(100 + x / 2));
    const PixelView view = viewOf(pixels, width, height);
    const std::vector<std::uint8_t> plain = EncodeDob(view);
    const std::vector<std::uint8_t> dithered = EncodeDobDithered(view);
    ASSERT_EQ(plain.size(), dithered.size());
    EXPECT_NE(plain, dithered);
    const std::vector<std::uint8_t> levels = ditherToLevels(view);
    int changesInFirstRow = 0;
    for (int x = 1; x < width; ++x)
        changesInFirstRow += levels[static_cast<std::size_t>(x)] != levels[static_cast<std::size_t>(x - 1)];
    EXPECT_GT(changesInFirstRow, 4);
}

TEST(DitherDeterminism, SameBytesWhateverTheRowLayout)
{
    const int width = 37, height = 23;
    Pixels pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(static_cast<std::uint32_t>((x * 7) << 16 | (y * 11) << 8 | ((x * y) & 0xFF)));
    const std::vector<std::uint8_t> first = EncodeDobDithered(viewOf(pixels, width, height));
    EXPECT_EQ(first, EncodeDobDithered(viewOf(pixels, width, height)));

    // The same picture in rows with gaps, and with the unused top byte set.
    const int stride = width + 5;
    Pixels padded(static_cast<std::size_t>(stride * height), 0xDEADBEEF);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            padded[static_cast<std::size_t>(y * stride + x)] =
                    pixels[static_cast<std::size_t>(y * width + x)] | 0xFF000000;
    EXPECT_EQ(first, EncodeDobDithered(PixelView{padded.data(), width, height, stride}));

    // Header and length as the plain encoder makes them.
    const std::vector<std::uint8_t> plain = EncodeDob(viewOf(pixels, width, height));
    ASSERT_EQ(first.size(), plain.size());
    EXPECT_EQ(first[0], plain[0]);
    EXPECT_EQ(first[1], plain[1]);
    EXPECT_EQ(first.back() >> 4, 0) << "an odd pixel count leaves the last high nibble empty";
}

TEST(DitherFlatColours, DeviceGreysStayFlatAndMatchThePlainEncoder)
{
    std::vector<std::uint32_t> colours;
    for (int level = 0; level < 16; ++level)
        colours.push_back(grey(17 * level));
    for (std::uint32_t c : {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u, 0x00FFFFu, 0xFF00FFu, 0xAA0088u})
        colours.push_back(c);
    for (std::uint32_t colour : colours) {
        SCOPED_TRACE(std::to_string(colour));
        const int width = 19, height = 9;
        const Pixels pixels(static_cast<std::size_t>(width * height), colour);
        const PixelView view = viewOf(pixels, width, height);
        EXPECT_EQ(EncodeDobDithered(view), EncodeDob(view));
        const std::vector<std::uint8_t> levels = ditherToLevels(view);
        EXPECT_EQ(levels, std::vector<std::uint8_t>(levels.size(), greyOf(colour)));
    }
}

TEST(DitherFlatColours, AColourBetweenLevelsMixesItsTwoNeighbours)
{
    // 0x80 lies between the shown greys 0x77 and 0x88: only those two
    // levels appear, and their mix comes out at the colour's own grey.
    const int width = 40, height = 40;
    const Pixels pixels(static_cast<std::size_t>(width * height), grey(0x80));
    const std::vector<std::uint8_t> levels = ditherToLevels(viewOf(pixels, width, height));
    double shown = 0;
    for (std::uint8_t level : levels) {
        EXPECT_TRUE(level == 7 || level == 8) << int(level);
        shown += shownLightness(level);
    }
    EXPECT_NEAR(shown / static_cast<double>(levels.size()), 0x80, 1.0);
}

TEST(DitherEdges, EmptyAndTinyPictures)
{
    EXPECT_TRUE(EncodeDobDithered(PixelView{}).empty());
    const Pixels one{0x808080};
    EXPECT_EQ(EncodeDobDithered(viewOf(one, 1, 1)).size(), 3u);
    // Extremes never leave the sixteen levels, however the error piles up.
    Pixels alternating;
    for (int i = 0; i < 64; ++i)
        alternating.push_back(i % 3 == 0 ? 0xFFFFFF : 0x000000);
    for (std::uint8_t level : ditherToLevels(viewOf(alternating, 8, 8)))
        EXPECT_LE(level, 15);
}

TEST(OutputOptionsText, SizesParseAndOptionsDescribeThemselves)
{
    struct Case {
        const char* text;
        std::optional<Size> size;
    };
    const std::vector<Case> cases = {
            {"128x64", Size{128, 64}}, {"1X1", Size{1, 1}},    {"65535x2", Size{65535, 2}}, {"0x64", std::nullopt},
            {"65536x1", std::nullopt}, {"128", std::nullopt},  {"x64", std::nullopt},       {"12x", std::nullopt},
            {"-5x5", std::nullopt},    {"1 x2", std::nullopt}, {"000001x1", std::nullopt},  {"4x4x4", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseSize(c.text), c.size);
        if (c.size) {
            EXPECT_EQ(parseSize(sizeText(*c.size)), c.size);
        }
    }
    EXPECT_EQ(describeOptions({}), "");
    EXPECT_FALSE(OutputOptions{}.any());
    OutputOptions all{true, true, Size{96, 32}, std::nullopt, false};
    EXPECT_TRUE(all.any());
    EXPECT_EQ(describeOptions(all), "full frames, dither, fit 96x32");
    EXPECT_EQ(describeOptions(OutputOptions{false, true, std::nullopt, std::nullopt, false}), "dither");
    all.ditherKind = DitherKind::Ordered;
    all.fill = all.levelsAuto = all.invert = true;
    all.grey = GreyWeights::Luma;
    all.gamma = 180;
    all.contrast = 125;
    all.background = 0xF0F0F0;
    EXPECT_EQ(describeOptions(all), "full frames, dither ordered, fill 96x32, grey luma, levels auto, gamma 1.8, "
                                    "contrast 1.25, invert, background #f0f0f0");
    OutputOptions invertOnly;
    invertOnly.invert = true;
    EXPECT_TRUE(invertOnly.any());
}

}  // namespace
}  // namespace pelkora::output
