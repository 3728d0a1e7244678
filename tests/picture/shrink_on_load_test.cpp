// A JPEG to be fitted is decoded at a reduced scale and lands within one
// grey level of its full-size decode fitted, on every pixel, photos and
// sharp-edged pictures alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "picture/animated_picture.h"
#include "picture/fit_scaling.h"
#include "picture/picture_loader.h"
#include "support/jpeg_encoder.h"
#include "support/picture_fixtures.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;

enum class Kind { Photo, GreyPhoto, TextBars, Checkers };

// Gradients under sensor-like noise; strokes of 2 and 3 pixels in lines
// like print; squares of 7 pixels, which no DCT block lines up with.
std::uint8_t sampleAt(Kind kind, int x, int y, int c, int width, int height, unsigned& noise)
{
    noise = noise * 1103515245u + 12345u;
    const int jitter = static_cast<int>((noise >> 16) % 41) - 20;
    switch (kind) {
    case Kind::Photo:
    case Kind::GreyPhoto: {
        const int ramps[] = {x * 255 / width, y * 255 / height, (x + y) * 255 / (width + height)};
        return static_cast<std::uint8_t>(std::clamp(ramps[c] + jitter, 0, 255));
    }
    case Kind::TextBars: {
        const bool ink = (y % 16) < 11 && (x * 7 + (y / 16) * 13) % 29 < 2 + (y / 16) % 2;
        return ink ? 0 : 255;
    }
    case Kind::Checkers:
        return ((x / 7 + y / 7) % 2) != 0 ? 20 : 235;
    }
    return 0;
}

std::vector<std::uint8_t> jpegOf(Kind kind, int width, int height)
{
    const bool grey = kind == Kind::GreyPhoto;
    const int components = grey ? 1 : 3;
    std::vector<std::uint8_t> samples;
    samples.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    unsigned noise = 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                samples.push_back(sampleAt(kind, x, y, c, width, height, noise));
    return encodeJpeg(samples, width, height, grey);
}

// Today's way: the whole picture decoded, then fitted.
std::vector<int> fullSizeGreys(const std::vector<std::uint8_t>& jpeg, output::Size bounds)
{
    const LoadResult full = LoadPictureBytes(jpeg.data(), jpeg.size(), LoadLimits{});
    EXPECT_TRUE(full.outcome.ok()) << full.outcome.reason();
    EXPECT_FALSE(full.picture.fullSize.has_value());
    const Image fitted = fitIntoBounds(*full.picture.still->image, bounds, kSurface);
    std::vector<int> greys;
    for (int y = 0; y < fitted.height(); ++y)
        for (int x = 0; x < fitted.width(); ++x)
            greys.push_back(greyOfRgb(fitted.pixel(x, y) & 0xFFFFFF));
    return greys;
}

TEST(ShrinkOnLoad, FittedJpegsStayWithinOneGreyLevelOfTheFullDecode)
{
    struct Case {
        Kind kind;
        int width, height;
        output::Size bounds;
        int decodedWidth;  // what the reduced decode gives
    };
    const std::vector<Case> cases = {
            {Kind::Photo, 4000, 3000, {128, 64}, 500},    {Kind::TextBars, 4000, 3000, {128, 64}, 500},
            {Kind::TextBars, 4000, 3000, {40, 40}, 500},  {Kind::Checkers, 4000, 3000, {200, 100}, 1500},
            {Kind::Photo, 1001, 777, {128, 64}, 751},     {Kind::GreyPhoto, 1001, 777, {128, 64}, 751},
            {Kind::TextBars, 1001, 777, {128, 64}, 751},  {Kind::Checkers, 1001, 777, {40, 40}, 376},
            {Kind::TextBars, 1001, 777, {40, 40}, 376},
            {Kind::TextBars, 1001, 777, {200, 100}, 1001},  // too close to the box to reduce
    };
    TempDir dir;
    const std::filesystem::path work = makeWorkDirectory(dir);
    AnimatedPicture picture{work};
    int number = 0;
    for (const Case& c : cases) {
        const std::string name = "p" + std::to_string(++number);
        SCOPED_TRACE(name + ": " + std::to_string(c.width) + "x" + std::to_string(c.height) + " to "
                     + output::sizeText(c.bounds));
        const std::vector<std::uint8_t> jpeg = jpegOf(c.kind, c.width, c.height);
        picture.setOutputOptions({false, false, c.bounds});
        ASSERT_TRUE(picture.LoadFile(dir.write(name + ".jpg", std::string(jpeg.begin(), jpeg.end()))).ok());
        EXPECT_EQ(picture.pictureWidth(), c.decodedWidth);
        picture.ShowPicture();

        const std::vector<int> expected = fullSizeGreys(jpeg, c.bounds);
        const auto dob = readDob(work / "adv" / (name + ".dob"), expected.size());
        ASSERT_TRUE(dob.has_value());
        EXPECT_EQ(dob->width, c.bounds.width);
        int worst = 0;
        for (std::size_t i = 0; i < expected.size(); ++i)
            worst = std::max(worst, std::abs(dob->greys[i] - expected[i]));
        EXPECT_LE(worst, 1);
    }
}

}  // namespace
}  // namespace pelkora::picture
