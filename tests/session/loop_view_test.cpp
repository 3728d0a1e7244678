// The loop's frames as Play and the animation show them, with letters from
// a drawer that inks its whole box, so that where each cell lies is seen.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gif/frame_image.h"
#include "gif/frame_walker.h"
#include "session/loop_gif.h"
#include "session/loop_view.h"
#include "support/temp_dir.h"

namespace pelkora::session {
namespace {

using testing::TempDir;

class BoxDrawer : public sheet::GlyphPainter {
public:
    void drawText(Image& image, const Rect& box, std::string_view utf8, sheet::Font, sheet::Placement,
                  Pixel colour) override
    {
        drawn.emplace_back(utf8);
        for (int y = box.top; y < box.bottom(); ++y)
            std::fill(image.row(y) + box.left, image.row(y) + box.right(), colour);
    }
    std::string elided(std::string_view utf8, sheet::Font, sheet::Elision, int) override { return std::string(utf8); }
    bool canDraw(char32_t) override { return true; }
    std::vector<std::string> drawn;
};

// A DOB of width x height whose pixel i has level levels[i].
std::string dob(int width, int height, const std::vector<int>& levels)
{
    std::string bytes{static_cast<char>(width), static_cast<char>(height)};
    for (std::size_t i = 0; i < levels.size(); i += 2) {
        const int high = i + 1 < levels.size() ? levels[i + 1] : 0;
        bytes.push_back(static_cast<char>(levels[i] | (high << 4)));
    }
    return bytes;
}

int levelAt(const LevelImage& image, int x, int y) { return image.levels[static_cast<std::size_t>(y) * image.width + x]; }

TEST(LoopView, PicturesGrowByOneWholeFactorAndPagesKeepTheirCells)
{
    TempDir work;
    work.write("adv/a.dob", dob(4, 2, {0, 5, 10, 15, 1, 2, 3, 4}));
    work.write("adv/b.dob", dob(2, 1, {15, 0}));
    work.write("adv/t-01.txt", "ab\ncd");
    BoxDrawer glyphs;
    const LoopView view(work / "adv", {{"a.dob", 100}, {"b.dob", 100}, {"t-01.txt", 100}, {"gone.dob", 100}}, glyphs);

    // The largest picture fills 640x400 by whole pixels; the smaller one grows as much.
    EXPECT_EQ(view.zoom(), 160);
    const LevelImage a = view.content(0);
    ASSERT_EQ(a.width, 640);
    ASSERT_EQ(a.height, 320);
    EXPECT_EQ(levelAt(a, 159, 0), 0);
    EXPECT_EQ(levelAt(a, 160, 159), 5);
    EXPECT_EQ(levelAt(a, 639, 160), 4);
    EXPECT_EQ(view.content(1).width, 320);

    // Cells of 20x28: "ab" on the first line, the line feed moves "cd" to the second.
    const LevelImage page = view.content(2);
    ASSERT_EQ(page.width, 220);
    ASSERT_EQ(page.height, 140);
    EXPECT_EQ(levelAt(page, 10, 10), 15);
    EXPECT_EQ(levelAt(page, 30, 10), 15);
    EXPECT_EQ(levelAt(page, 50, 10), 0);
    EXPECT_EQ(levelAt(page, 30, 40), 15);
    EXPECT_EQ(levelAt(page, 50, 40), 0);

    glyphs.drawn.clear();
    view.content(3);
    EXPECT_EQ(glyphs.drawn, std::vector<std::string>{"missing"});

    // Every frame is the screen with the caption beneath: place, name, time.
    const LevelImage frame = view.frame(1);
    EXPECT_EQ(frame.width, view.frameSize().width);
    EXPECT_EQ(frame.height, view.frameSize().height);
    EXPECT_EQ(glyphs.drawn.back(), "2/4  b.dob  0.100 s");
}

TEST(LoopGif, DelaysAreRoundedHundredthsWithAShortest)
{
    const struct {
        std::uint64_t milliseconds;
        std::uint64_t centiseconds;
    } cases[] = {{0, 2}, {14, 2}, {15, 2}, {25, 3}, {1004, 100}, {1005, 101}, {999999999, 100000000}};
    for (const auto& c : cases)
        EXPECT_EQ(gifDelayOf(c.milliseconds), c.centiseconds) << c.milliseconds << " ms";
}

TEST(LoopGif, EachEntryIsOneFrameOfItsTimeAndLongTimesCarryOn)
{
    TempDir work;
    work.write("adv/a.dob", dob(2, 2, {0, 5, 10, 15}));
    work.write("adv/t-01.txt", "x");
    BoxDrawer glyphs;
    // 700 s is longer than one frame's delay can say.
    const LoopView view(work / "adv", {{"a.dob", 1234}, {"t-01.txt", 700000}}, glyphs);
    const LoopGif gif = encodeLoopGif(view);
    ASSERT_TRUE(gif.refusal.empty()) << gif.refusal;
    EXPECT_EQ(gif.frames, 2u);
    EXPECT_EQ(gif.centiseconds, 123u + 70000u);

    const auto* data = reinterpret_cast<const std::uint8_t*>(gif.bytes.data());
    const std::vector<gif::GifFrame> frames = gif::walkFrames(data, gif.bytes.size());
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].delay, 123);
    EXPECT_EQ(frames[1].delay, 65535);
    EXPECT_EQ(frames[2].delay, 70000 - 65535);
    EXPECT_EQ(frames[2].rect.width, 1);

    // The first frame reads back as the view composed it, level for index.
    const LevelImage first = view.frame(0);
    std::vector<std::uint8_t> indices(first.levels.size());
    gif::FrameImageDecoder decoder;
    EXPECT_EQ(decoder.decode(data, gif.bytes.size(), frames[0], indices.data()).status, Status::Ok);
    EXPECT_EQ(indices, first.levels);

    EXPECT_FALSE(encodeLoopGif(view, 100).refusal.empty());
    EXPECT_FALSE(encodeLoopGif(LoopView(work / "adv", {}, glyphs)).refusal.empty());
}

}  // namespace
}  // namespace pelkora::session
