// Classifying, measuring and stepping over single blocks.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gif/gif_scanner.h"
#include "support/gif_builder.h"

namespace pelkora::gif {
namespace {

using Bytes = std::vector<std::uint8_t>;
using pelkora::testing::GifBuilder;

GifScanner at(const Bytes& data, std::size_t offset)
{
    GifScanner s;
    s.gifData = data.data();
    s.dataSize = data.size();
    s.scanOffset = offset;
    return s;
}

TEST(GifBlockKindCodes, AreFixed)
{
    EXPECT_EQ(static_cast<int>(GifBlockKind::Unrecognised), 0);
    EXPECT_EQ(static_cast<int>(GifBlockKind::ApplicationExtension), 1);
    EXPECT_EQ(static_cast<int>(GifBlockKind::CommentExtension), 2);
    EXPECT_EQ(static_cast<int>(GifBlockKind::GraphicControlExtension), 3);
    EXPECT_EQ(static_cast<int>(GifBlockKind::PlainTextExtension), 4);
    EXPECT_EQ(static_cast<int>(GifBlockKind::ImageDescriptor), 5);
    EXPECT_EQ(static_cast<int>(GifBlockKind::Trailer), 6);
}

TEST(GifClassifyBlock, ByIntroducerAndLabel)
{
    struct Case {
        Bytes bytes;
        GifBlockKind kind;
    };
    const Case cases[] = {
            {{0x21, 0xFF}, GifBlockKind::ApplicationExtension},
            {{0x21, 0xFE}, GifBlockKind::CommentExtension},
            {{0x21, 0xF9}, GifBlockKind::GraphicControlExtension},
            {{0x21, 0x01}, GifBlockKind::PlainTextExtension},
            {{0x2C}, GifBlockKind::ImageDescriptor},
            {{0x3B}, GifBlockKind::Trailer},
            {{0x21, 0x00}, GifBlockKind::UnknownExtension},
            {{0x21, 0x02}, GifBlockKind::UnknownExtension},
            {{0x21, 0xF8}, GifBlockKind::UnknownExtension},
            {{0x21, 0xFA}, GifBlockKind::UnknownExtension},
            {{0x21, 0xFD}, GifBlockKind::UnknownExtension},
            {{0x21}, GifBlockKind::Unrecognised},  // label would lie past the data
            {{0x00}, GifBlockKind::Unrecognised},
            {{0xF9}, GifBlockKind::Unrecognised},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(at(c.bytes, 0).ClassifyBlock(), c.kind);
    }
}

TEST(GifClassifyBlock, CursorAtOrPastTheEndOrNoData)
{
    const Bytes data{0x3B};
    EXPECT_EQ(at(data, 1).ClassifyBlock(), GifBlockKind::Unrecognised);
    EXPECT_EQ(at(data, 7).ClassifyBlock(), GifBlockKind::Unrecognised);
    GifScanner none;
    none.dataSize = 4;
    EXPECT_EQ(none.ClassifyBlock(), GifBlockKind::Unrecognised);
    EXPECT_EQ(none.BlockLength(), -1);
    EXPECT_FALSE(none.AdvanceBlock());
    EXPECT_EQ(none.SubBlocksLength(0), 0);
}

TEST(GifSubBlocksLength, CountsSizeBytesDataAndTerminator)
{
    struct Case {
        Bytes bytes;
        std::int64_t length;
    };
    const Case cases[] = {
            {{0x00}, 1},       {{0x03, 1, 2, 3, 0x00}, 5}, {{0x01, 9, 0x02, 9, 9, 0x00, 0x77}, 6},
            {{}, 0},           {{0x03, 1, 2, 3}, 0},  // terminator missing
            {{0x05, 1, 2}, 0},                        // sub-block runs past the end
            {{0xFF}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(at(c.bytes, 0).SubBlocksLength(0), c.length);
    }
    const Bytes full = GifBuilder().subBlocks({255, 255, 17}).bytes();
    EXPECT_EQ(at(full, 0).SubBlocksLength(0), 256 + 256 + 18 + 1);
    EXPECT_EQ(at(full, 0).SubBlocksLength(full.size()), 0);
}

TEST(GifBlockLength, ExtensionsAndTrailer)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::int64_t length;
    };
    const Case cases[] = {
            {"application", GifBuilder().application("NETSCAPE2.0", {3}).bytes(), 14 + 4 + 1},
            {"looping", GifBuilder().netscapeLoop().bytes(), 19},
            {"comment", GifBuilder().comment("hello").bytes(), 2 + 6 + 1},
            {"empty comment", GifBuilder().comment("").bytes(), 3},
            {"graphic control", GifBuilder().graphicControl(0, 0).bytes(), 8},
            {"plain text", GifBuilder().plainText(0, 0, 8, 8, "hi").bytes(), 15 + 3 + 1},
            {"trailer", GifBuilder().trailer().bytes(), 1},
            {"stray byte", Bytes{0x99}, -1},
            {"label 0x02", Bytes{0x21, 0x02, 0x00}, 3},
            {"label 0xCE with data", Bytes{0x21, 0xCE, 0x02, 7, 7, 0x00}, 6},
            {"application of size 9", Bytes{0x21, 0xFF, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x01, 5, 0x00}, 15},
            {"application of size 0", Bytes{0x21, 0xFF, 0, 0x00}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(at(c.bytes, 0).BlockLength(), c.length);
    }
}

TEST(GifBlockLength, ImageDescriptorCountsLocalColourTable)
{
    struct Case {
        std::uint8_t packed;
        std::int64_t lct;
    };
    const Case cases[] = {
            {0x87, 768}, {0x80, 6}, {0x81, 12}, {0x84, 96}, {0x00, 0}, {0x07, 0}, {0x47, 0}, {0xC0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.packed));
        const Bytes data = GifBuilder().image(0, 0, 4, 4, c.packed, {3}).bytes();
        EXPECT_EQ(at(data, 0).BlockLength(), 11 + c.lct + 4 + 1);
    }
}

TEST(GifBlockLength, UnmeasurableWhenCutShort)
{
    const Bytes image = GifBuilder().image(0, 0, 4, 4, 0x80, {3}).bytes();  // 10 + 6 + 1 + 5
    const Bytes app = GifBuilder().application("NETSCAPE2.0", {3}).bytes();
    const Bytes plain = GifBuilder().plainText(0, 0, 8, 8, "hi").bytes();
    const Bytes comment = GifBuilder().comment("x").bytes();
    struct Case {
        const char* name;
        const Bytes& whole;
        std::size_t keep;
    };
    const Case cases[] = {
            {"descriptor without its packed byte", image, 9},
            {"descriptor without its colour table", image, 12},
            {"descriptor without its code size byte", image, 16},
            {"image without its terminator", image, image.size() - 1},
            {"application fixed part", app, 13},
            {"application without terminator", app, app.size() - 1},
            {"plain text fixed part", plain, 14},
            {"plain text without terminator", plain, plain.size() - 1},
            {"comment label only", comment, 2},
            {"application without its size byte", app, 2},
            {"unknown extension without terminator", Bytes{0x21, 0xCE, 0x02, 7, 7}, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes cut(c.whole.begin(), c.whole.begin() + static_cast<std::ptrdiff_t>(c.keep));
        GifScanner s = at(cut, 0);
        EXPECT_EQ(s.BlockLength(), 0);
        EXPECT_FALSE(s.AdvanceBlock());
        EXPECT_EQ(s.scanOffset, 0u);
    }
}

TEST(GifAdvanceBlock, MovesPastTheBlockOrStays)
{
    const Bytes data = GifBuilder().comment("ab").graphicControl(0, 5).trailer().bytes();
    GifScanner s = at(data, 0);
    ASSERT_TRUE(s.AdvanceBlock());
    EXPECT_EQ(s.scanOffset, 6u);
    ASSERT_TRUE(s.AdvanceBlock());
    EXPECT_EQ(s.scanOffset, 14u);
    // A trailer in the last byte may be stepped over and leaves the cursor
    // at the end of the data; nothing lies beyond it.
    ASSERT_TRUE(s.AdvanceBlock());
    EXPECT_EQ(s.scanOffset, data.size());
    EXPECT_FALSE(s.AdvanceBlock());
    EXPECT_EQ(s.scanOffset, data.size());
}

TEST(GifAdvanceBlock, GraphicControlCutShortStays)
{
    const Bytes data = GifBuilder().graphicControl(0, 5).dropLast(1).bytes();
    GifScanner s = at(data, 0);
    EXPECT_EQ(s.BlockLength(), 8);
    EXPECT_FALSE(s.AdvanceBlock());
    EXPECT_EQ(s.scanOffset, 0u);
}

TEST(GifAdvanceBlock, UnrecognisedStays)
{
    const Bytes data{0x99, 0x21, 0x02, 0x00, 0x3B};
    GifScanner s = at(data, 0);
    EXPECT_FALSE(s.AdvanceBlock());
    EXPECT_EQ(s.scanOffset, 0u);
}

TEST(GifLogicalScreen, ReadsSizeAndTable)
{
    const Bytes withTable = GifBuilder().header().screen(320, 240, 7).trailer().bytes();
    const auto screen = ReadLogicalScreen(withTable.data(), withTable.size());
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->width, 320);
    EXPECT_EQ(screen->height, 240);
    EXPECT_EQ(screen->globalColorTableSize, 768);

    const Bytes noTable = GifBuilder().header("GIF87a").screen(1, 65535).bytes();
    const auto bare = ReadLogicalScreen(noTable.data(), noTable.size());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->height, 65535);
    EXPECT_EQ(bare->globalColorTableSize, 0);
}

TEST(GifLogicalScreen, NothingWhenCutShort)
{
    const Bytes announced = GifBuilder().header().screen(4, 4, 1).bytes();  // 13 + 12
    for (std::size_t keep : {std::size_t{0}, std::size_t{6}, std::size_t{12}, std::size_t{13}, announced.size() - 1}) {
        SCOPED_TRACE(keep);
        EXPECT_FALSE(ReadLogicalScreen(announced.data(), keep));
    }
    EXPECT_TRUE(ReadLogicalScreen(announced.data(), announced.size()));
    EXPECT_FALSE(ReadLogicalScreen(nullptr, 100));
}

TEST(GifSignature, OnlyTheTwoVersions)
{
    const Bytes a = GifBuilder().header("GIF87a").bytes();
    const Bytes b = GifBuilder().header("GIF89a").bytes();
    const Bytes c = GifBuilder().header("GIF90a").bytes();
    EXPECT_TRUE(HasGifSignature(a.data(), a.size()));
    EXPECT_TRUE(HasGifSignature(b.data(), b.size()));
    EXPECT_FALSE(HasGifSignature(c.data(), c.size()));
    EXPECT_FALSE(HasGifSignature(b.data(), 5));
    EXPECT_FALSE(HasGifSignature(nullptr, 6));
}

}  // namespace
}  // namespace pelkora::gif
