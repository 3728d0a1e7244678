// Our LZW decoder against giflib's on the same files: every image both read
// whole must give the same indices. Generated files also carry their own
// truth, the pixels they were written from.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "giflib_reference.h"
#include "scan_passes.h"
#include "support/gif_builder.h"
#include "support/gif_suite.h"

namespace pelkora::gif {
namespace {

using namespace pelkora::gif::testing;
using pelkora::testing::GifBuilder;
using pelkora::testing::GifPictureFrame;
using pelkora::testing::Rgb;

// Deterministic pixels: noise, runs of one index, or a diagonal ramp, all
// below colours.
enum class Pattern { Noise, Runs, Ramp };

std::vector<std::uint8_t> pixels(int width, int height, int colours, Pattern pattern, std::uint32_t seed)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height);
    std::uint32_t state = seed * 2654435761u + 1;
    int run = 0;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        switch (pattern) {
        case Pattern::Noise:
            out[i] = static_cast<std::uint8_t>((state >> 16) % colours);
            break;
        case Pattern::Runs:
            if (run-- <= 0) {
                run = static_cast<int>((state >> 8) % 300);
                value = static_cast<std::uint8_t>((state >> 20) % colours);
            }
            out[i] = value;
            break;
        case Pattern::Ramp:
            out[i] = static_cast<std::uint8_t>((i % width + i / width) % colours);
            break;
        }
    }
    return out;
}

std::vector<Rgb> grey(int colours)
{
    std::vector<Rgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.push_back(static_cast<Rgb>(i * 0x010101));
    return palette;
}

struct Generated {
    std::string name;
    int codeBits;  // colours = 2^codeBits
    int width;
    int height;
    Pattern pattern;
    bool interlaced = false;
    bool local = false;
    bool clearWhenFull = true;
    int frames = 1;
};

std::vector<Generated> generatedCases()
{
    std::vector<Generated> cases;
    for (int bits = 2; bits <= 8; ++bits) {
        cases.push_back({"noise " + std::to_string(bits) + " bits", bits, 37, 23, Pattern::Noise});
        cases.push_back({"interlaced " + std::to_string(bits) + " bits", bits, 19, 45, Pattern::Ramp, true});
    }
    cases.push_back({"one pixel", 2, 1, 1, Pattern::Noise});
    cases.push_back({"one column interlaced", 3, 1, 17, Pattern::Noise, true});
    cases.push_back({"large noise, the table refilled", 8, 320, 240, Pattern::Noise});
    cases.push_back({"large runs, long strings", 4, 320, 240, Pattern::Runs});
    cases.push_back({"deferred clear, noise", 8, 200, 150, Pattern::Noise, false, false, false});
    cases.push_back({"deferred clear, interlaced", 5, 160, 120, Pattern::Noise, true, false, false});
    cases.push_back({"local tables, three frames", 6, 64, 48, Pattern::Runs, false, true, true, 3});
    cases.push_back({"local interlaced frames", 7, 33, 31, Pattern::Noise, true, true, true, 2});
    return cases;
}

Bytes generate(const Generated& c, std::vector<std::vector<std::uint8_t>>& truth)
{
    const int colours = 1 << c.codeBits;
    GifBuilder b;
    b.header().screenWithColors(c.width, c.height, c.local ? std::vector<Rgb>{} : grey(colours));
    for (int f = 0; f < c.frames; ++f) {
        GifPictureFrame frame;
        frame.width = c.width;
        frame.height = c.height;
        frame.indices = pixels(c.width, c.height, colours, c.pattern, static_cast<std::uint32_t>(f + c.codeBits));
        frame.interlaced = c.interlaced;
        frame.clearWhenFull = c.clearWhenFull;
        if (c.local)
            frame.localPalette = grey(colours);
        truth.push_back(frame.indices);
        b.picture(frame);
    }
    return b.trailer().bytes();
}

TEST(LzwDifferential, GeneratedFilesDecodeAsWrittenAndAsGiflibReadsThem)
{
    for (const Generated& c : generatedCases()) {
        SCOPED_TRACE(c.name);
        std::vector<std::vector<std::uint8_t>> truth;
        const Bytes data = generate(c, truth);
        const std::vector<DecodedIndices> ours = ourImages(data.data(), data.size());
        ASSERT_EQ(ours.size(), truth.size());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            EXPECT_TRUE(ours[i].whole);
            EXPECT_TRUE(ours[i].indices == truth[i]) << "image " << i + 1 << " differs from what was written";
        }
        const Comparison giflib = compareWithGiflib(data.data(), data.size());
        EXPECT_EQ(giflib.difference, "");
        EXPECT_EQ(giflib.compared, c.frames);
    }
}

TEST(LzwDifferential, EveryConformanceFileAgreesWithGiflib)
{
    const auto names = pelkora::testing::gifSuiteCases();
    ASSERT_FALSE(names.empty());
    int compared = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Bytes data = readFile((pelkora::testing::kGifSuite / (name + ".gif")).string());
        const Comparison c = compareWithGiflib(data.data(), data.size());
        EXPECT_EQ(c.difference, "");
        compared += c.compared;
    }
    // Most of the suite is read whole by both.
    EXPECT_GT(compared, 60);
}

// The suite's max-codes case: a minimum code size of 11, which giflib
// refuses; its pixels through the colour table are the expected frame.
TEST(LzwDifferential, MinimumCodeSizeElevenMatchesTheExpectedFrame)
{
    const Bytes data = readFile((pelkora::testing::kGifSuite / "max-codes.gif").string());
    const Bytes expected = readFile((pelkora::testing::kGifSuite / "random-image.rgba").string());
    const std::vector<GifFrame> frames = walkFrames(data.data(), data.size());
    ASSERT_EQ(frames.size(), 1u);
    const GifFrame& image = frames[0];
    ASSERT_TRUE(holdsPixels(image));
    EXPECT_EQ(image.minCodeSize, 11);
    const ColorTable colors = colorTableOf(data.data(), data.size(), image);
    const int w = image.rect.width, h = image.rect.height;
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(w) * h * 4);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h);
    FrameImageDecoder decoder;
    const DecodedRows rows = decoder.decode(data.data(), data.size(), image, indices.data());
    EXPECT_EQ(rows.status, Status::Ok);
    EXPECT_EQ(rows.rowsComplete, h);
    int wrong = 0;
    for (std::size_t p = 0; p < indices.size(); ++p) {
        ASSERT_LT(indices[p], colors.entries);
        const std::uint8_t* rgb = colors.rgb + 3 * indices[p];
        wrong += rgb[0] != expected[4 * p] || rgb[1] != expected[4 * p + 1] || rgb[2] != expected[4 * p + 2];
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_FALSE(giflibImages(data.data(), data.size()));
}

}  // namespace
}  // namespace pelkora::gif
