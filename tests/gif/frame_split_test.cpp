// Walking frames and cutting them out as stand-alone GIF streams.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "gif/gif_scanner.h"
#include "scan_passes.h"
#include "support/gif_builder.h"

namespace pelkora::gif {
namespace {

using pelkora::testing::GifBuilder;
using namespace pelkora::gif::testing;

// A two-colour GIF: header, descriptor and a 6-byte global colour table.
GifBuilder twoColour() { return std::move(GifBuilder().header().screen(16, 16, 0)); }

TEST(GifFrameSplit, SmallestAnimationFrame)
{
    const Bytes data = twoColour().graphicControl(0x00, 7).image(0, 0, 16, 16, 0x00, {3}).trailer().bytes();
    ASSERT_EQ(data.size(), 13u + 6 + 8 + 16 + 1);
    EXPECT_EQ(countPass(data, 6), 1);

    FrameWalker walker(data.data(), data.size(), 6);
    const std::optional<GifFrame> frame = walker.nextFrame();
    ASSERT_TRUE(frame);
    const auto stream = frameStream(data.data(), data.size(), 6, *frame);
    ASSERT_TRUE(stream);
    EXPECT_EQ(frameStreamLength(6, *frame), 44u);
    EXPECT_EQ(stream->size(), 44u);
    EXPECT_EQ(*stream, data);  // header, one frame, trailer: the file itself
    EXPECT_EQ(frame->delay, 7);
    EXPECT_EQ(frame->disposal, 0);
    EXPECT_EQ(frame->offset, 19u);
    EXPECT_EQ(frame->length, 24u);
    EXPECT_EQ(walker.cursor(), 43u);
    EXPECT_FALSE(walker.nextFrame());
    EXPECT_EQ(walker.cursor(), 43u);
}

TEST(GifFrameSplit, LeadingExtensionsAreNotPartOfTheFrame)
{
    GifBuilder b = twoColour();
    b.netscapeLoop().comment("made by hand");
    const std::size_t first = b.offset();
    b.graphicControl(0x04, 10).image(0, 0, 16, 16, 0, {5});
    b.comment("between frames").application("XMP DataXMP", {4, 4});
    const std::size_t second = b.offset();
    b.image(2, 3, 4, 5, 0, {2}).trailer();
    const Bytes data = b.bytes();

    EXPECT_EQ(countPass(data, 6), 2);
    const auto frames = extractPass(data, 6);
    ASSERT_EQ(frames.size(), 2u);
    expectStreamsWellFormed(data, 6, frames);
    EXPECT_EQ(frames[0].start, first);
    EXPECT_EQ(frames[0].stream[19], 0x21);
    EXPECT_EQ(frames[0].stream[20], 0xF9);
    EXPECT_EQ(frames[0].length, 19 + 8 + 18 + 1);
    EXPECT_EQ(frames[1].start, second);
    EXPECT_EQ(frames[1].stream[19], 0x2C);
}

TEST(GifFrameSplit, BlocksBetweenControlAndImageBelongToTheFrameOnce)
{
    GifBuilder b = twoColour();
    b.graphicControl(0x00, 1).comment("inside").graphicControl(0x08, 2).netscapeLoop();
    const std::size_t image = b.offset();
    b.image(1, 2, 3, 4, 0, {3}).trailer();
    const Bytes data = b.bytes();

    const auto frames = extractPass(data, 6);
    ASSERT_EQ(frames.size(), 1u);
    expectStreamsWellFormed(data, 6, frames);
    EXPECT_EQ(frames[0].start, 19u);
    EXPECT_EQ(frames[0].length, static_cast<int>(data.size()));
    // Delay and disposal come from the first control extension of the frame.
    EXPECT_EQ(frames[0].delay, 1);
    EXPECT_EQ(frames[0].disposal, 0);
    EXPECT_EQ(image, 19u + 8 + 10 + 8 + 19);
    EXPECT_EQ(countPass(data, 6), 1);
}

TEST(GifFrameSplit, DelayAndDisposalFromTheControlExtension)
{
    struct Case {
        std::uint8_t packed;
        int delay;
        int disposal;
    };
    const Case cases[] = {
            {0x00, 0, 0},   {0x04, 1, 1}, {0x08, 25, 2}, {0x0C, 65535, 3},
            {0x1C, 300, 7}, {0x1F, 4, 7}, {0xE3, 9, 0},  {0x10, 256, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.packed));
        const Bytes data = twoColour().graphicControl(c.packed, c.delay).image(0, 0, 1, 1, 0, {1}).trailer().bytes();
        const auto frames = extractPass(data, 6);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].delay, c.delay);
        EXPECT_EQ(frames[0].disposal, c.disposal);
    }
}

TEST(GifFrameSplit, FrameWithoutControlExtension)
{
    const Bytes data = twoColour().image(0, 0, 1, 1, 0, {1}).trailer().bytes();
    FrameWalker walker(data.data(), data.size(), 6);
    const std::optional<GifFrame> frame = walker.nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->delay, -1);
    EXPECT_EQ(frame->disposal, 0);
}

TEST(GifFrameSplit, SizeAndPositionFromTheImageDescriptor)
{
    const Bytes data = twoColour()
                               .image(0, 0, 16, 16, 0x00, {3})
                               .graphicControl(0, 0)
                               .image(300, 65535, 1, 513, 0x87, {255, 10})
                               .trailer()
                               .bytes();
    const auto frames = extractPass(data, 6);
    ASSERT_EQ(frames.size(), 2u);
    expectStreamsWellFormed(data, 6, frames);
    EXPECT_EQ(frames[1].rect.left, 300);
    EXPECT_EQ(frames[1].rect.top, 65535);
    EXPECT_EQ(frames[1].rect.width, 1);
    EXPECT_EQ(frames[1].rect.height, 513);
    EXPECT_EQ(frames[1].length, 19 + 8 + 11 + 768 + 256 + 11 + 1 + 1);
}

TEST(GifFrameSplit, PlainTextFrameKeepsSizeAndPosition)
{
    const Bytes data = twoColour()
                               .graphicControl(0, 3)
                               .image(2, 3, 10, 11, 0, {4})
                               .graphicControl(0x08, 50)
                               .plainText(0, 0, 64, 8, "hello")
                               .plainText(1, 1, 8, 8, "bare")
                               .trailer()
                               .bytes();
    EXPECT_EQ(countPass(data, 6), 3);
    const auto frames = extractPass(data, 6);
    ASSERT_EQ(frames.size(), 3u);
    expectStreamsWellFormed(data, 6, frames);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(frames[i].rect.width, 10);
        EXPECT_EQ(frames[i].rect.height, 11);
        EXPECT_EQ(frames[i].rect.left, 2);
        EXPECT_EQ(frames[i].rect.top, 3);
    }
    EXPECT_EQ(frames[1].delay, 50);
    EXPECT_EQ(frames[1].length, 19 + 8 + 15 + 7 + 1);
    EXPECT_EQ(frames[2].delay, -1);
}

TEST(GifFrameSplit, PassesEndAtTheFirstFrameThatCannotBeWalked)
{
    struct Case {
        const char* name;
        Bytes data;
        int frames;
    };
    const Bytes two = twoColour().graphicControl(0, 1).image(0, 0, 1, 1, 0, {200, 200}).bytes();
    const auto extend = [](Bytes head, std::initializer_list<std::uint8_t> tail) {
        head.insert(head.end(), tail);
        return head;
    };
    const Case cases[] = {
            {"empty GIF", twoColour().trailer().bytes(), 0},
            {"nothing after the colour table", twoColour().bytes(), 0},
            {"control extension then trailer",
             twoColour().image(0, 0, 1, 1, 0, {1}).graphicControl(0, 1).trailer().bytes(), 1},
            {"cut inside the second image's sub-blocks",
             twoColour()
                     .image(0, 0, 1, 1, 0, {1})
                     .graphicControl(0, 1)
                     .image(0, 0, 1, 1, 0, {200, 200})
                     .image(0, 0, 1, 1, 0, {1})
                     .trailer()
                     .dropLast(200)
                     .bytes(),
             1},
            {"cut inside the first image's sub-blocks", Bytes(two.begin(), two.end() - 3), 0},
            {"no trailer, last frame ends at the end", two, 1},
            {"cut inside an unknown extension", extend(two, {0x21, 0x02, 0x03, 1}), 1},
            {"unknown extension inside a frame, cut short",
             extend(extend(twoColour().graphicControl(0, 1).bytes(), {0x21, 0xCE, 0x05, 1, 2}),
                    {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 0, 0x3B}),
             0},
            {"trailer between control and image",
             extend(twoColour().graphicControl(0, 1).trailer().bytes(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 0}), 0},
            {"stray byte after a frame", extend(two, {0x00, 0x3B}), 1},
            {"cut inside a leading comment", extend(two, {0x21, 0xFE, 0x05, 'a'}), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(countPass(c.data, 6), c.frames);
        const auto frames = extractPass(c.data, 6);
        EXPECT_EQ(static_cast<int>(frames.size()), c.frames);
        expectStreamsWellFormed(c.data, 6, frames);
    }
}

// Extensions the scanner does not know, and application blocks whose
// identifier is not the usual 11 bytes, are stepped over by their lengths.
TEST(GifFrameSplit, UnknownLabelsAndApplicationSizesAreSteppedOver)
{
    struct Case {
        const char* name;
        std::initializer_list<std::uint8_t> before;   // ahead of the frames
        std::initializer_list<std::uint8_t> between;  // between control and image
        int streamExtra;                              // bytes of between in the first stream
    };
    const Case cases[] = {
            {"label 0xCE ahead", {0x21, 0xCE, 0x02, 1, 2, 0x00}, {}, 0},
            {"label 0x00 ahead, empty", {0x21, 0x00, 0x00}, {}, 0},
            {"application of size 9 ahead",
             {0x21, 0xFF, 9, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 0x02, 1, 1, 0x00},
             {},
             0},
            {"application of size 0 ahead", {0x21, 0xFF, 0, 0x01, 7, 0x00}, {}, 0},
            {"label 0xFA between", {}, {0x21, 0xFA, 0x01, 9, 0x00}, 5},
            {"application of size 13 between",
             {},
             {0x21, 0xFF, 13, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0x00},
             17},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GifBuilder b = twoColour();
        b.raw(c.before).graphicControl(0, 3).raw(c.between).image(0, 0, 1, 1, 0, {1});
        b.graphicControl(0, 4).image(0, 0, 1, 1, 0, {1}).trailer();
        const Bytes data = b.bytes();
        EXPECT_EQ(countPass(data, 6), 2);
        const auto frames = extractPass(data, 6);
        ASSERT_EQ(frames.size(), 2u);
        expectStreamsWellFormed(data, 6, frames);
        EXPECT_EQ(frames[0].start, 19u + c.before.size());
        EXPECT_EQ(frames[0].length, 19 + 8 + c.streamExtra + 11 + 2 + 1 + 1);
        EXPECT_EQ(frames[1].length, 19 + 8 + 11 + 2 + 1 + 1);
    }
}

TEST(GifFrameSplit, NoTrailerLastFrameEndsAtDataSize)
{
    const Bytes data = twoColour().image(0, 0, 1, 1, 0, {1}).bytes();
    FrameWalker walker(data.data(), data.size(), 6);
    ASSERT_TRUE(walker.nextFrame());
    EXPECT_EQ(walker.cursor(), data.size());
    EXPECT_FALSE(walker.nextFrame());
}

TEST(GifFrameSplit, NoDataFailsAtOnce)
{
    FrameWalker walker(nullptr, 100, 6);
    EXPECT_FALSE(walker.nextFrame());
    EXPECT_EQ(walker.cursor(), 19u);
    EXPECT_TRUE(walkFrames(nullptr, 100).empty());
}

// The blocks are cut short where a careless reader would look past the end.
TEST(GifFrameSplit, TruncatedFixedPartsFailWithoutReadingPastTheEnd)
{
    struct Case {
        const char* name;
        Bytes data;
    };
    const Case cases[] = {
            {"control extension without delay", twoColour().raw({0x21, 0xF9, 0x04, 0x08}).bytes()},
            {"control extension without terminator", twoColour().graphicControl(0x08, 3).dropLast(1).bytes()},
            {"image descriptor after control, no size",
             twoColour().graphicControl(0, 3).raw({0x2C, 1, 0, 2, 0, 3}).bytes()},
            {"image descriptor after control, no packed byte",
             twoColour().graphicControl(0, 3).imageDescriptor(1, 2, 3, 4, 0x80).dropLast(1).bytes()},
            {"image descriptor alone, no packed byte", twoColour().raw({0x2C, 1, 0, 2, 0, 3, 0, 4, 0}).bytes()},
            {"local colour table cut", twoColour().imageDescriptor(0, 0, 1, 1, 0x87).raw({1, 2, 3}).bytes()},
            {"introducer in the last byte", twoColour().raw({0x21}).bytes()},
            {"introducer in the last byte after control", twoColour().graphicControl(0, 3).raw({0x21}).bytes()},
            {"application fixed part cut", twoColour().raw({0x21, 0xFF, 0x0B, 'N', 'E'}).bytes()},
            {"plain text fixed part cut", twoColour().graphicControl(0, 3).raw({0x21, 0x01, 0x0C, 0, 0}).bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An exact-size heap copy lets the address sanitizer see any overread.
        const std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[c.data.size()]);
        std::copy(c.data.begin(), c.data.end(), exact.get());
        FrameWalker walker(exact.get(), c.data.size(), 6);
        EXPECT_FALSE(walker.nextFrame());
        EXPECT_LE(walker.cursor(), c.data.size());
        EXPECT_TRUE(walkFrames(exact.get(), c.data.size()).empty());
    }
}

TEST(GifFrameSplit, TruncatedControlExtensionIsNotRead)
{
    const Bytes data = twoColour().raw({0x21, 0xF9, 0x04, 0x1C, 0x10}).bytes();
    FrameWalker walker(data.data(), data.size(), 6);
    EXPECT_FALSE(walker.nextFrame());
    EXPECT_EQ(walker.cursor(), 19u);
}

TEST(GifFrameSplit, HeadAnnouncedBeyondTheDataIsNotCopied)
{
    // A scanner told of a colour table longer than the file cuts nothing.
    const Bytes data = GifBuilder().header().screen(1, 1).image(0, 0, 1, 1, 0, {1}).trailer().bytes();
    const std::optional<GifFrame> frame = FrameWalker(data.data(), data.size(), 0).nextFrame();
    ASSERT_TRUE(frame);
    EXPECT_FALSE(frameStream(data.data(), data.size(), 768, *frame));
    EXPECT_FALSE(frameStream(data.data(), data.size(), -3, *frame));
    EXPECT_FALSE(FrameWalker(data.data(), data.size(), -3).nextFrame());
    GifFrame beyond = *frame;
    beyond.length = data.size();
    EXPECT_FALSE(frameStream(data.data(), data.size(), 0, beyond));
}

TEST(GifFrameSplit, NoGlobalColourTable)
{
    const Bytes data = GifBuilder().header("GIF87a").screen(2, 2).image(0, 0, 2, 2, 0x81, {4}).trailer().bytes();
    const auto frames = extractPass(data, 0);
    ASSERT_EQ(frames.size(), 1u);
    expectStreamsWellFormed(data, 0, frames);
    EXPECT_EQ(frames[0].start, 13u);
    EXPECT_EQ(frames[0].length, static_cast<int>(data.size()));
}

}  // namespace
}  // namespace pelkora::gif
