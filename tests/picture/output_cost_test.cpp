// What an animation would write is known before a frame is drawn, and a
// run past the bound is refused with its numbers.

#include <gtest/gtest.h>

#include <vector>

#include "picture/output_cost.h"

namespace pelkora::picture {
namespace {

std::vector<FrameRecord> framesAt(const std::vector<gif::GifRect>& rects)
{
    std::vector<FrameRecord> frames;
    for (const gif::GifRect& rect : rects) {
        FrameRecord record;
        record.frame.rect = rect;
        frames.push_back(record);
    }
    return frames;
}

TEST(OutputCost, EachFrameCountsAsTheCaptureItWillBe)
{
    output::OutputOptions full;
    full.fullFrames = true;
    output::OutputOptions fitted = full;
    fitted.fit = output::Size{16, 8};
    const struct {
        const char* what;
        std::vector<gif::GifRect> frames;
        output::OutputOptions options;
        std::uint64_t bytes;
    } cases[] = {
            {"own rectangles", {{0, 0, 3, 3}, {1, 1, 2, 1}}, {}, (2 + 5) + (2 + 1)},
            {"a rectangle partly off the screen", {{8, 8, 4, 4}}, {}, 2 + 2},
            {"a rectangle wholly off the screen", {{20, 0, 4, 4}}, {}, 0},
            {"full frames", {{0, 0, 1, 1}, {1, 1, 1, 1}}, full, 2 * (2 + 50)},
            {"full frames larger than the fit size", {{0, 0, 1, 1}}, fitted, 2 + 16 * 8 / 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(plannedDobBytes(framesAt(c.frames), SurfaceShape{10, 10, 0xFFFFFF, std::nullopt}, c.options), c.bytes);
    }
}

TEST(OutputCost, AHugeScreenUnderFullFramesIsRefusedWithItsNumbers)
{
    output::OutputOptions full;
    full.fullFrames = true;
    const std::vector<FrameRecord> frames = framesAt(std::vector<gif::GifRect>(100, {0, 0, 1, 1}));
    const SurfaceShape screen{8000, 8000, 0xFFFFFF, std::nullopt};
    EXPECT_EQ(outputCostRefusal(frames, screen, {}), std::nullopt);
    EXPECT_EQ(outputCostRefusal(frames, screen, full),
              "its 100 frames would write 3052 MiB, more than the 1024 MiB one input may write");
}

}  // namespace
}  // namespace pelkora::picture
