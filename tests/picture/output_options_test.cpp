// The opt-in output options on the picture control: --fit scales large
// pictures down by area into the device's size, --full-frames writes each
// frame of an optimised GIF as the whole composed canvas, --dither reaches
// the writer; and none of them touches a picture it does not concern.
#include "picture/animated_picture.h"
#include "picture/fit_scaling.h"
#include "picture/screen_placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;

TEST(FitSizes, LargePicturesShrinkWithTheirAspectSmallOnesStay)
{
    struct Case {
        output::Size picture;
        output::Size bounds;
        output::Size expected;
    };
    const std::vector<Case> cases = {
            {{300, 100}, {128, 64}, {128, 43}},  // width limits: 100 * 128 / 300 = 42.7
            {{100, 300}, {128, 64}, {21, 64}},   // height limits: 100 * 64 / 300 = 21.3
            {{256, 128}, {128, 64}, {128, 64}},  // exactly the aspect
            {{128, 64}, {128, 64}, {128, 64}},   // fits exactly
            {{20, 10}, {128, 64}, {20, 10}},     // smaller: unchanged
            {{129, 1}, {128, 64}, {128, 1}},     // a side never reaches 0
            {{10000, 3}, {128, 64}, {128, 1}},  {{64, 65}, {128, 64}, {63, 64}},  // only one side too large
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.picture.width) + "x" + std::to_string(c.picture.height));
        const output::Size fitted = fittedSize(c.picture, c.bounds);
        EXPECT_TRUE(fitted == c.expected) << fitted.width << "x" << fitted.height;
        const bool fits = c.picture.width <= c.bounds.width && c.picture.height <= c.bounds.height;
        if (!fits) {
            EXPECT_TRUE(fitted.width == c.bounds.width || fitted.height == c.bounds.height);
        }
    }
}

Pixel rgb(int r, int g, int b) { return opaque(static_cast<std::uint32_t>(r << 16 | g << 8 | b)); }

Image imageOf(int width, int height, const std::function<Pixel(int, int)>& colour)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.row(y)[x] = colour(x, y) | 0xFF000000;
    return image;
}

// The area average worked out in floating point, pixel by pixel of the
// target, straight from the definition.
double referenceAverage(const Image& source, output::Size target, int tx, int ty, int shift)
{
    const double sx = double(source.width()) / target.width;
    const double sy = double(source.height()) / target.height;
    double sum = 0;
    for (int y = 0; y < source.height(); ++y) {
        const double dy = std::max(0.0, std::min((ty + 1) * sy, y + 1.0) - std::max(ty * sy, double(y)));
        for (int x = 0; x < source.width() && dy > 0; ++x) {
            const double dx = std::max(0.0, std::min((tx + 1) * sx, x + 1.0) - std::max(tx * sx, double(x)));
            sum += dx * dy * ((source.pixel(x, y) >> shift) & 0xFF);
        }
    }
    return sum / (sx * sy);
}

TEST(AreaScaling, EveryPixelIsTheMeanOfTheAreaItCovers)
{
    struct Case {
        const char* name;
        Image source;
        output::Size target;
    };
    const Case cases[] = {
            {"halves", imageOf(4, 2, [](int x, int y) { return rgb(x * 60, y * 200, 255 - x * 30); }), {2, 1}},
            {"thirds into two",
             imageOf(3, 3, [](int x, int y) { return rgb(x * 100, y * 100, (x + y) * 40); }),
             {2, 2}},
            {"odd factors",
             imageOf(17, 11, [](int x, int y) { return rgb(x * 15, (y * 23) % 256, (x * y) % 256); }),
             {5, 4}},
            {"one row", imageOf(9, 1, [](int x, int) { return rgb(x * 31, 0, 255); }), {4, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Image scaled = scaleDownByArea(c.source, c.target);
        ASSERT_EQ(scaled.width(), c.target.width);
        ASSERT_EQ(scaled.height(), c.target.height);
        for (int y = 0; y < c.target.height; ++y) {
            for (int x = 0; x < c.target.width; ++x) {
                for (int shift : {0, 8, 16}) {
                    const double expected = referenceAverage(c.source, c.target, x, y, shift);
                    const int got = static_cast<int>((scaled.pixel(x, y) >> shift) & 0xFF);
                    EXPECT_LE(std::abs(got - expected), 0.5 + 1e-6) << x << "," << y << " shift " << shift;
                }
            }
        }
    }
    EXPECT_TRUE(scaleDownByArea(imageOf(2, 2, [](int, int) { return 0; }), {3, 1}).isNull());
    const Image flat = imageOf(50, 30, [](int, int) { return rgb(12, 200, 99); });
    const Image shrunk = scaleDownByArea(flat, {7, 3});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(shrunk.pixel(x, y) & 0xFFFFFF, flat.pixel(0, 0) & 0xFFFFFF);
}

class Options : public ::testing::Test {
protected:
    void SetUp() override { picture.setRealtime(false); }
    void play(const std::string& name, const Bytes& bytes)
    {
        const auto file = dir.write(name, std::string(bytes.begin(), bytes.end()));
        const LoadOutcome loaded = picture.LoadFile(file);
        ASSERT_TRUE(loaded.ok()) << loaded.reason();
        picture.ShowPicture();
        picture.finishPass();
    }
    std::string dobBytes(const std::string& name) const { return TempDir::read(work / "adv" / name); }

    TempDir dir;
    std::filesystem::path work = makeWorkDirectory(dir);
    AnimatedPicture picture{work};
};

TEST_F(Options, FitCentresALargePictureOnTheSurfaceAndLeavesASmallOne)
{
    struct Case {
        const char* name;
        int width, height;
        output::Size bounds;
        output::Size scaled;  // the picture's part inside the written bounds
    };
    const std::vector<Case> cases = {
            {"wide", 300, 100, {128, 64}, {128, 43}},
            {"tall", 90, 200, {60, 40}, {18, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        picture.setOutputOptions({false, false, c.bounds, std::nullopt, false});
        const std::vector<Rgb> black(static_cast<std::size_t>(c.width * c.height), kBlack);
        play(std::string(c.name) + ".bmp", makeBmp(c.width, c.height, black));
        const std::size_t count = static_cast<std::size_t>(c.bounds.width * c.bounds.height);
        const auto dob = readDob(work / "adv" / (std::string(c.name) + ".dob"), count);
        ASSERT_TRUE(dob.has_value());
        EXPECT_EQ(dob->width, c.bounds.width);
        EXPECT_EQ(dob->height, c.bounds.height);
        const int left = (c.bounds.width - c.scaled.width) / 2;
        const int top = (c.bounds.height - c.scaled.height) / 2;
        for (int y = 0; y < c.bounds.height; ++y) {
            for (int x = 0; x < c.bounds.width; ++x) {
                const bool inside = x >= left && x < left + c.scaled.width && y >= top && y < top + c.scaled.height;
                ASSERT_EQ(dob->greys[static_cast<std::size_t>(y * c.bounds.width + x)],
                          inside ? greyOfRgb(kBlack) : greyOfRgb(kSurface))
                        << x << "," << y;
            }
        }
    }

    // Small enough already: the very bytes written without the option.
    const std::vector<Rgb> small = {kRed, kWhite, kBlack, kWhite, kRed, kBlack};
    picture.setOutputOptions({});
    play("plain.bmp", makeBmp(3, 2, small));
    picture.setOutputOptions({false, false, output::Size{128, 64}, std::nullopt, false});
    play("fitted.bmp", makeBmp(3, 2, small));
    EXPECT_EQ(dobBytes("fitted.dob"), dobBytes("plain.dob"));
    EXPECT_EQ(dobBytes("plain.dob").size(), 2u + 3u);
}

// A viewer's canvas, worked out from the frames the test made: frames drawn
// in order, transparent pixels leave what lies beneath, disposal 2 clears
// the frame's rectangle to the background after it has been shown.
std::vector<std::vector<int>> composedGreys(int width, int height, const std::vector<Rgb>& palette,
                                            const std::vector<GifPictureFrame>& frames)
{
    std::vector<Rgb> canvas(static_cast<std::size_t>(width * height), kSurface);
    std::vector<std::vector<int>> shown;
    for (const GifPictureFrame& f : frames) {
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                const int index = f.indices[static_cast<std::size_t>(y * f.width + x)];
                if (index == f.transparent)
                    continue;
                canvas[static_cast<std::size_t>((f.top + y) * width + f.left + x)] =
                        palette[static_cast<std::size_t>(index)];
            }
        }
        shown.push_back(greysOf(canvas));
        if (f.disposal == 2) {
            for (int y = 0; y < f.height; ++y)
                for (int x = 0; x < f.width; ++x)
                    canvas[static_cast<std::size_t>((f.top + y) * width + f.left + x)] = kSurface;
        }
    }
    return shown;
}

TEST_F(Options, FullFramesWriteTheComposedCanvasOfAnOptimisedGif)
{
    const std::vector<Rgb> palette = {kBlack, kWhite, kRed, 0x808080};
    GifPictureFrame patchWithHole = solidFrame(2, 0, 3, 3, 0);
    patchWithHole.indices[4] = 3;  // its middle shows what lies beneath
    patchWithHole.transparent = 3;
    const std::vector<GifPictureFrame> frames = {
            solidFrame(0, 0, 5, 4, 1),        // the whole screen, white
            solidFrame(1, 1, 2, 2, 2, 0, 2),  // a red patch, cleared afterwards
            patchWithHole,                    // a black patch with a hole
            solidFrame(4, 3, 1, 1, 0),        // one pixel
    };
    picture.setOutputOptions({true, false, std::nullopt, std::nullopt, false});
    play("opt.gif", makeGif(5, 4, palette, frames));
    const auto expected = composedGreys(5, 4, palette, frames);
    ASSERT_EQ(expected.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const std::string name = "opt-0" + std::to_string(i + 1) + ".dob";
        const auto dob = readDob(work / "adv" / name, 20);
        ASSERT_TRUE(dob.has_value()) << name;
        EXPECT_EQ(dob->width, 5);
        EXPECT_EQ(dob->height, 4);
        EXPECT_EQ(dob->greys, expected[i]);
    }
    EXPECT_EQ(playlistOf(work), "opt-01.dob,500\nopt-02.dob,500\nopt-03.dob,500\nopt-04.dob,1500\n\n");

    // Without the option the same file gives the frames' own rectangles.
    picture.setOutputOptions({});
    play("patches.gif", makeGif(5, 4, palette, frames));
    EXPECT_EQ(dobBytes("patches-02.dob").size(), 2u + 2u);
    EXPECT_EQ(dobBytes("patches-04.dob").size(), 2u + 1u);
}

TEST_F(Options, FitShrinksAnAnimationsPatchesByTheScreensFactor)
{
    const std::vector<Rgb> palette = {kBlack, kWhite};
    const std::vector<GifPictureFrame> frames = {solidFrame(0, 0, 40, 20, 1), solidFrame(10, 10, 20, 10, 0)};
    picture.setOutputOptions({false, false, output::Size{20, 20}, std::nullopt, false});
    play("big.gif", makeGif(40, 20, palette, frames));
    // The screen halves into 20x10 and is centred in 20x20; the patch halves.
    EXPECT_EQ(dobBytes("big-01.dob").substr(0, 2), std::string("\x14\x14", 2));
    const auto patch = readDob(work / "adv" / "big-02.dob", 50);
    ASSERT_TRUE(patch.has_value());
    EXPECT_EQ(patch->width, 10);
    EXPECT_EQ(patch->height, 5);
    EXPECT_EQ(patch->greys, std::vector<int>(50, 15));
}

TEST_F(Options, DitherReachesTheWriterOnlyWhenAsked)
{
    std::vector<Rgb> ramp;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            ramp.push_back(static_cast<Rgb>((96 + x) * 0x010101));
    const Bytes bmp = makeBmp(32, 8, ramp);
    play("plain.bmp", bmp);
    picture.setOutputOptions({false, true, std::nullopt, std::nullopt, false});
    play("dithered.bmp", bmp);
    const auto plain = readDob(work / "adv" / "plain.dob", 256);
    const auto dithered = readDob(work / "adv" / "dithered.dob", 256);
    ASSERT_TRUE(plain && dithered);
    EXPECT_EQ(plain->greys, greysOf(ramp));
    EXPECT_NE(dithered->greys, plain->greys);
}

TEST_F(Options, ScalingAndBackgroundShapeWhatTheGreyStepsSee)
{
    // 256x64: a grey ramp between two black thirds.
    std::vector<Rgb> thirds;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            thirds.push_back(x < 85 || x >= 171 ? kBlack : static_cast<Rgb>((60 + x / 2) * 0x010101));
    output::OutputOptions dithered{false, true, output::Size{64, 64}, std::nullopt, false};
    output::OutputOptions blackBars = dithered;
    blackBars.background = 0x000000;
    output::OutputOptions filled{false, false, output::Size{64, 64}, std::nullopt, false};
    filled.fill = true;
    const struct {
        const char* name;
        output::OutputOptions options;
        int barLevel;  // of rows 0-23 and 40-63; -1: no bars
        bool pictureBlack;  // whether columns 0 and 63 of row 32 are black
    } cases[] = {
            {"fit and dither leave the bars flat", dithered, greyOfRgb(kSurface), true},
            {"the background colours the bars", blackBars, 15, true},
            {"fill crops the centre third", filled, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        picture.setOutputOptions(c.options);
        play("thirds.bmp", makeBmp(256, 64, thirds));
        const auto dob = readDob(work / "adv" / "thirds.dob", 64 * 64);
        ASSERT_TRUE(dob.has_value());
        ASSERT_EQ(dob->width, 64);
        const auto at = [&](int x, int y) { return dob->greys[static_cast<std::size_t>(y * 64 + x)]; };
        for (int y = 0; y < 64 && c.barLevel >= 0; ++y) {
            for (int x = 0; x < 64 && (y < 24 || y >= 40); ++x)
                ASSERT_EQ(at(x, y), c.barLevel) << x << "," << y;
        }
        EXPECT_EQ(at(0, 32) == 15 && at(63, 32) == 15, c.pictureBlack);
    }
}

TEST(ScreenPlacement, ASmallerPictureLandsInTheMiddleOfTheScreen)
{
    constexpr Pixel kFill = 0xFF00FF00;
    const struct {
        const char* name;
        output::Size picture;
        bool placed;
        int left;  // where the picture lands on a 10x6 screen
        int top;
    } cases[] = {
            {"smaller both ways", {4, 2}, true, 3, 2},
            {"an odd margin puts the extra pixel right and below", {3, 3}, true, 3, 1},
            {"as wide as the screen", {10, 2}, true, 0, 2},
            {"exactly the screen", {10, 6}, false, 0, 0},
            {"wider than the screen stays as it is", {11, 2}, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Image picture = imageOf(c.picture.width, c.picture.height, [](int x, int y) { return x * 16 + y; });
        const std::optional<Image> placed = centredOnScreen(picture, {10, 6}, kFill);
        ASSERT_EQ(placed.has_value(), c.placed);
        for (int y = 0; placed && y < 6; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool inside = x >= c.left && x < c.left + c.picture.width && y >= c.top && y < c.top + c.picture.height;
                EXPECT_EQ(placed->pixel(x, y), inside ? picture.pixel(x - c.left, y - c.top) : kFill) << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace pelkora::picture
