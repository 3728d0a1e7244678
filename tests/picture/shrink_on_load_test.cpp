// A JPEG to be fitted is decoded at a reduced scale and lands within one
// grey level of its full-size decode fitted, on every pixel.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>

#include "picture/animated_picture.h"
#include "picture/fit_scaling.h"
#include "support/picture_fixtures.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;

enum class Kind { Photo, GreyPhoto, TextBars, Checkers };

// Gradients under sensor-like noise; strokes of 2 and 3 pixels in lines of
// print; squares of 7 pixels, which no block of the transform lines up with.
std::string jpegOf(Kind kind, int width, int height)
{
    const int components = kind == Kind::GreyPhoto ? 1 : 3;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width * components));
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    unsigned noise = 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0, i = 0; x < width; ++x) {
            const bool ink = (y % 16) < 11 && (x * 7 + (y / 16) * 13) % 29 < 2 + (y / 16) % 2;
            const int ramps[] = {x * 255 / width, y * 255 / height, (x + y) * 255 / (width + height)};
            for (int c = 0; c < components; ++c, ++i) {
                noise = noise * 1103515245u + 12345u;
                const int photo = std::clamp(ramps[c] + static_cast<int>((noise >> 16) % 41) - 20, 0, 255);
                row[i] = static_cast<std::uint8_t>(kind == Kind::TextBars   ? (ink ? 0 : 255)
                                                   : kind == Kind::Checkers ? ((x / 7 + y / 7) % 2 ? 20 : 235)
                                                                            : photo);
            }
        }
        JSAMPROW samples = row.data();
        jpeg_write_scanlines(&info, &samples, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(out), outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
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
    AnimatedPicture picture{makeWorkDirectory(dir)};
    for (const Case& c : cases) {
        const std::string name = std::to_string(c.width) + "-" + output::sizeText(c.bounds) + "-"
                                 + std::to_string(static_cast<int>(c.kind));
        SCOPED_TRACE(name);
        const std::string jpeg = jpegOf(c.kind, c.width, c.height);
        output::OutputOptions options;
        options.fit = c.bounds;
        picture.setOutputOptions(options);
        ASSERT_TRUE(picture.LoadFile(dir.write(name + ".jpg", jpeg)).ok());
        EXPECT_EQ(picture.pictureWidth(), c.decodedWidth);
        picture.ShowPicture();

        // Today's way: the whole picture decoded, then fitted.
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(jpeg.data());
        const LoadResult full = LoadPictureBytes(bytes, jpeg.size(), LoadLimits{});
        ASSERT_TRUE(full.outcome.ok() && !full.picture.fullSize);
        const Image expected = fitIntoBounds(*full.picture.still->image, c.bounds, kSurface);
        const int pixels = c.bounds.width * c.bounds.height;
        const auto dob = readDob(dir / "adv" / (name + ".dob"), static_cast<std::size_t>(pixels));
        ASSERT_TRUE(dob.has_value() && expected.width() == c.bounds.width);
        int worst = 0;
        for (int i = 0; i < pixels; ++i)
            worst = std::max(worst, std::abs(dob->greys[static_cast<std::size_t>(i)]
                                             - greyOfRgb(expected.row(0)[i] & 0xFFFFFF)));
        EXPECT_LE(worst, 1);
    }
}

}  // namespace
}  // namespace pelkora::picture
