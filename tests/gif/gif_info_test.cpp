// What the command line prints about a GIF, and a real file written by
// another program.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/gif_info.h"
#include "scan_passes.h"
#include "support/gif_builder.h"

namespace pelkora::gif {
namespace {

using pelkora::testing::GifBuilder;
using namespace pelkora::gif::testing;

std::string describe(const Bytes& data) { return describeGif(data.data(), data.size()).value_or("<nothing>"); }

TEST(GifDescribe, HeaderLineAndOneLinePerFrame)
{
    const Bytes data = GifBuilder()
                               .header()
                               .screen(40, 30, 1)
                               .netscapeLoop()
                               .graphicControl(0x08, 12)
                               .image(1, 2, 30, 20, 0x80, {9})
                               .plainText(0, 0, 64, 8, "x")
                               .trailer()
                               .bytes();
    EXPECT_EQ(describe(data), "gif 40x30 gct=12 frames=2\n"
                              "frame 1 offset=44 length=62 delay=12 disposal=2 left=1 top=2 width=30 height=20\n"
                              "frame 2 offset=80 length=44 delay=-1 disposal=0 left=1 top=2 width=30 height=20");
}

TEST(GifDescribe, FirstPlainTextFrameHasZeroGeometry)
{
    const Bytes data = GifBuilder().header("GIF87a").screen(8, 8).plainText(3, 4, 8, 8, "a").bytes();
    EXPECT_EQ(describe(data), "gif 8x8 gct=0 frames=1\n"
                              "frame 1 offset=13 length=32 delay=-1 disposal=0 left=0 top=0 width=0 height=0");
}

TEST(GifDescribe, FilesWithoutFrames)
{
    struct Case {
        const char* name;
        Bytes data;
        const char* text;
    };
    const Case cases[] = {
            {"empty GIF", GifBuilder().header().screen(5, 6, 0).trailer().bytes(), "gif 5x6 gct=6 frames=0"},
            {"signature only", GifBuilder().header().bytes(), "gif 0x0 gct=0 frames=0"},
            {"descriptor cut short", GifBuilder().header().screen(5, 6).dropLast(1).bytes(), "gif 0x0 gct=0 frames=0"},
            {"colour table cut short",
             GifBuilder().header().screen(5, 6, 7).image(0, 0, 1, 1, 0, {1}).trailer().dropLast(600).bytes(),
             "gif 5x6 gct=768 frames=0"},
            {"not a GIF", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "<nothing>"},
            {"nothing at all", Bytes{}, "<nothing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(describe(c.data), c.text);
        EXPECT_TRUE(walkFrames(c.data.data(), c.data.size()).empty());
    }
}

class ImageMagickFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        data = readFile(PELKORA_SOURCE_DIR "/tests/gif/data/four-frames.gif");
        ASSERT_EQ(data.size(), 348u) << "fixture missing or changed";
    }
    Bytes data;
};

TEST_F(ImageMagickFixture, CountsAndCutsEveryFrame)
{
    ASSERT_EQ(gctOf(data), 6);
    EXPECT_EQ(countPass(data, 6), 4);
    const auto frames = extractPass(data, 6);
    ASSERT_EQ(frames.size(), 4u);
    expectStreamsWellFormed(data, 6, frames);

    struct Expected {
        std::size_t start, end;
        int left, top, width, height, delay, disposal;
    };
    const Expected expected[] = {
            {19, 104, 0, 0, 32, 24, 10, 1},
            {104, 162, 4, 2, 16, 12, 25, 2},
            {162, 242, 10, 8, 8, 6, 50, 3},
            {242, 347, 0, 0, 32, 24, 0, 1},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i + 1);
        const Expected& e = expected[i];
        EXPECT_EQ(frames[i].start, e.start);
        EXPECT_EQ(frames[i].length, static_cast<int>(19 + (e.end - e.start) + 1));
        EXPECT_EQ(frames[i].rect.left, e.left);
        EXPECT_EQ(frames[i].rect.top, e.top);
        EXPECT_EQ(frames[i].rect.width, e.width);
        EXPECT_EQ(frames[i].rect.height, e.height);
        EXPECT_EQ(frames[i].delay, e.delay);
        EXPECT_EQ(frames[i].disposal, e.disposal);
    }
}

TEST_F(ImageMagickFixture, DescribedLineByLine)
{
    const std::string text = describe(data);
    EXPECT_EQ(text.substr(0, text.find('\n')), "gif 32x24 gct=6 frames=4");
    EXPECT_NE(text.find("\nframe 3 offset=162 length=100 delay=50 disposal=3 left=10 top=8 width=8 height=6\n"),
              std::string::npos);
    EXPECT_EQ(walkFrames(data.data(), data.size()).size(), 4u);
}

TEST_F(ImageMagickFixture, EveryTruncationKeepsTheWholeFramesBeforeIt)
{
    // Frame k ends at these offsets; a file cut anywhere holds exactly the
    // frames that end inside it.
    const std::size_t ends[] = {104, 162, 242, 347};
    for (std::size_t keep = 0; keep <= data.size(); ++keep) {
        SCOPED_TRACE(keep);
        const Bytes cut(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(keep));
        int whole = 0;
        for (std::size_t end : ends)
            whole += end <= keep ? 1 : 0;
        const auto frames = walkFrames(cut.data(), cut.size());
        EXPECT_EQ(static_cast<int>(frames.size()), whole);
    }
}

}  // namespace
}  // namespace pelkora::gif
