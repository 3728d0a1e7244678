// What our GIF writer produces must read back, frame for frame and index
// for index, through our own reader.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gif/frame_image.h"
#include "gif/frame_walker.h"
#include "gif/gif_scanner.h"
#include "gif/gif_writer.h"

namespace pelkora::gif {
namespace {

std::vector<std::uint8_t> greyPalette(int entries)
{
    std::vector<std::uint8_t> rgb;
    for (int i = 0; i < entries; ++i)
        rgb.insert(rgb.end(), 3, static_cast<std::uint8_t>(255 - 17 * i));
    return rgb;
}

IndexedImage patterned(int width, int height, int colours, unsigned seed)
{
    IndexedImage image{0, 0, width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        seed = seed * 1103515245u + 12345u;
        // Runs and noise: long strings fill the code table, noise widens the codes.
        image.indices.push_back(static_cast<std::uint8_t>(i % 7 < 4 ? (i / 97) % colours : (seed >> 16) % colours));
    }
    return image;
}

struct RoundTripCase {
    const char* what;
    int colours;
    int width;
    int height;
    int frames;
    int delay;
};

class GifWriterRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(GifWriterRoundTrip, EveryFrameReadsBackWithItsIndicesAndDelay)
{
    const RoundTripCase& c = GetParam();
    GifWriter writer(c.width, c.height, greyPalette(c.colours));
    std::vector<IndexedImage> written;
    for (int f = 0; f < c.frames; ++f) {
        written.push_back(patterned(c.width, c.height, c.colours, static_cast<unsigned>(f + 1)));
        writer.addFrame(written.back(), c.delay + f);
    }
    const std::string text = writer.finish();
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());

    const std::optional<LogicalScreen> screen = ReadLogicalScreen(data, text.size());
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->width, c.width);
    EXPECT_EQ(screen->height, c.height);
    const std::vector<GifFrame> frames = walkFrames(data, text.size());
    ASSERT_EQ(frames.size(), written.size());
    FrameImageDecoder decoder;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        EXPECT_EQ(frames[f].delay, c.delay + static_cast<int>(f));
        EXPECT_EQ(frames[f].disposal, 1);
        std::vector<std::uint8_t> indices(written[f].indices.size(), 0xFF);
        const DecodedRows rows = decoder.decode(data, text.size(), frames[f], indices.data());
        EXPECT_EQ(rows.status, Status::Ok) << "frame " << f;
        EXPECT_EQ(indices, written[f].indices) << "frame " << f;
    }
    EXPECT_EQ(static_cast<std::uint8_t>(text.back()), 0x3B);
}

INSTANTIATE_TEST_SUITE_P(
        Cases, GifWriterRoundTrip,
        ::testing::Values(
                // Two colours still code with two-bit roots.
                RoundTripCase{"two colours", 2, 13, 7, 1, 0},
                RoundTripCase{"device greys, several frames", 16, 40, 30, 3, 250},
                // Large enough that the table fills and starts again many times.
                RoundTripCase{"table restarts", 16, 600, 400, 1, kMaxFrameDelay},
                RoundTripCase{"full byte alphabet", 256, 300, 200, 1, 7},
                RoundTripCase{"one pixel", 16, 1, 1, 2, 1}),
        [](const ::testing::TestParamInfo<RoundTripCase>& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace pelkora::gif
