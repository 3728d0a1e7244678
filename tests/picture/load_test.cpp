#include "picture/animated_picture.h"
#include "picture/frame_timing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "support/encoded_picture.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::picture {
namespace {

using namespace pelkora::testing;

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class Loading : public ::testing::Test {
protected:
    std::filesystem::path write(const std::string& name, const Bytes& bytes) const
    {
        return dir.write(name, asText(bytes));
    }
    std::vector<std::string> outputFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(work / "adv"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    std::filesystem::path work = makeWorkDirectory(dir);
    AnimatedPicture picture{work};
    void SetUp() override { picture.setRealtime(false); }
};

std::vector<Rgb> patternOf(int width, int height)
{
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(
                    static_cast<Rgb>(((x * 53) & 0xFF) << 16 | ((y * 97) & 0xFF) << 8 | ((x + y) * 31 & 0xFF)));
    return pixels;
}

TEST_F(Loading, BmpVariantsDecodeToTheirPixels)
{
    struct Case {
        BmpDepth depth;
        bool topDown;
        int width, height;
    };
    const Case cases[] = {{BmpDepth::Rgb24, false, 4, 3},   {BmpDepth::Rgb24, false, 3, 2},
                          {BmpDepth::Rgb24, true, 5, 3},    {BmpDepth::Rgb32, false, 7, 2},
                          {BmpDepth::Rgb32, true, 2, 2},    {BmpDepth::Palette8, false, 3, 3},
                          {BmpDepth::Palette8, true, 1, 4}, {BmpDepth::Rgb24, false, 300, 2}};
    int n = 0;
    std::string expectedPlaylist;
    for (const Case& c : cases) {
        std::vector<Rgb> pixels = patternOf(c.width, c.height);
        if (c.depth == BmpDepth::Palette8)
            for (auto& p : pixels)
                p &= 0xC0C0C0;  // few enough colours for a palette
        const std::string name = "bmp" + std::to_string(++n);
        const auto file = write(name + ".bmp", makeBmp(c.width, c.height, pixels, c.depth, c.topDown));
        SCOPED_TRACE(name);
        const LoadOutcome loaded = picture.LoadFile(file);
        ASSERT_TRUE(loaded.ok()) << loaded.reason();
        EXPECT_FALSE(picture.isGif());
        EXPECT_EQ(picture.pictureWidth(), c.width);
        EXPECT_EQ(picture.pictureHeight(), c.height);
        EXPECT_TRUE(picture.ShowPicture().stillWritten());
        const auto dob = readDob(work / "adv" / (name + ".dob"), pixels.size());
        ASSERT_TRUE(dob);
        EXPECT_EQ(dob->width, c.width % 256);
        EXPECT_EQ(dob->greys, greysOf(pixels));
        expectedPlaylist += name + ".dob,3000\n\n";
    }
    EXPECT_EQ(playlistOf(work), expectedPlaylist);
}

TEST_F(Loading, PluginAndBuiltInFormats)
{
    for (const char* format : {"png", "jpeg", "ico"}) {
        QImage image(6, 4, QImage::Format_RGB32);
        image.fill(QColor(0, 0, 0));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, format).write(image)) << format;
        const auto file = dir.write(std::string("pic.") + format, bytes.toStdString());
        const LoadOutcome loaded = picture.LoadFile(file);
        ASSERT_TRUE(loaded.ok()) << format << ": " << loaded.reason();
        EXPECT_EQ(picture.pictureWidth(), 6) << format;
        EXPECT_EQ(picture.pictureHeight(), 4) << format;
    }
}

TEST_F(Loading, AlphaFlattenedOntoTheSurfaceColour)
{
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgba(0, 0, 0, 128));  // (240 * 127 + 127) / 255 = 120 a channel
    image.setPixel(2, 0, qRgba(0, 0, 0, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "png").write(image));
    ASSERT_TRUE(picture.LoadFile(dir.write("alpha.png", bytes.toStdString())).ok());
    EXPECT_TRUE(picture.ShowPicture().stillWritten());
    const auto dob = readDob(work / "adv" / "alpha.dob", 3);
    ASSERT_TRUE(dob);
    EXPECT_EQ(dob->greys, std::vector<int>({0, greyOfRgb(0x787878), 15}));
}

// An 8-bit run-length bitmap: palette index 0 black, every other index
// white; the codes as given.
Bytes runLengthBmp(int width, int height, const Bytes& codes)
{
    Bytes out = makeBmp(width, height, std::vector<Rgb>(static_cast<std::size_t>(width) * height, 0x000000),
                        BmpDepth::Palette8);
    const std::size_t offset = 14 + 40 + 256 * 4;
    out.resize(14 + 40);
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t level = i == 0 ? 0 : 0xFF;
        out.insert(out.end(), {level, level, level, 0});
    }
    out.insert(out.end(), codes.begin(), codes.end());
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k)
            out[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    put32(2, static_cast<std::uint32_t>(out.size()));
    put32(10, static_cast<std::uint32_t>(offset));
    put32(30, 1);  // BI_RLE8
    put32(34, static_cast<std::uint32_t>(codes.size()));
    put32(46, 256);
    return out;
}

// Leaves freed heap memory full of a non-zero byte, where the next
// allocations are likely to land.
void dirtyTheHeap()
{
    std::vector<std::unique_ptr<std::uint8_t[]>> blocks;
    for (int i = 0; i < 64; ++i) {
        blocks.emplace_back(new std::uint8_t[8192]);
        std::memset(blocks.back().get(), 0xAB, 8192);
    }
}

TEST_F(Loading, PixelsARunLengthBitmapSkipsTakeTheFirstColour)
{
    // The bottom row starts with 10 white pixels; a delta and an early end
    // leave everything else unreached.
    const struct {
        const char* name;
        Bytes codes;
    } cases[] = {
            {"early-end.bmp", {10, 5, 0, 1}},
            {"delta.bmp", {10, 5, 0, 2, 3, 2, 4, 7, 0, 1}},
            {"cut-short.bmp", {10, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = write(c.name, runLengthBmp(64, 64, c.codes));
        dirtyTheHeap();
        ASSERT_TRUE(picture.LoadFile(file).ok());
        ASSERT_TRUE(picture.ShowPicture().stillWritten());
        const std::string base = std::string(c.name).substr(0, std::string(c.name).size() - 4);
        const auto dob = readDob(work / "adv" / (base + ".dob"), 64 * 64);
        ASSERT_TRUE(dob);
        std::vector<int> expected(64 * 64, 15);
        for (int x = 0; x < 10; ++x)
            expected[63 * 64 + x] = 0;
        if (std::string(c.name) == "delta.bmp")
            for (int x = 13; x < 17; ++x)
                expected[(63 - 2) * 64 + x] = 0;
        EXPECT_EQ(dob->greys, expected);
    }
}

TEST_F(Loading, WhatIsNoPictureIsRefused)
{
    struct Case {
        const char* name;
        std::string bytes;
        Status status;
    };
    const Case cases[] = {
            {"text.txt", "BMW is not a bitmap, and this is a text file.\n", Status::NotAPicture},
            {"plain.txt", "hello world\n", Status::NotAPicture},
            {"version.gif", "GIF88a\x01\x00\x01\x00\x00\x00\x00;", Status::NotAPicture},
            {"short.gif", "GIF89a\x01\x00", Status::BrokenPicture},
            {"empty.bmp", "", Status::NotAPicture},
            {"cut.bmp", asText(makeBmp(4, 4, patternOf(4, 4))).substr(0, 60), Status::BrokenPicture},
            {"odd-header.bmp", asText(makeBmp(4, 4, patternOf(4, 4))).replace(14, 1, 1, '\x29'), Status::NotAPicture},
            {"only-trailer.gif", asText(GifBuilder().header().screen(2, 2, 0).trailer().bytes()), Status::NoFrames},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(picture.LoadFile(dir.write(c.name, c.bytes)).status(), c.status) << c.name;
        EXPECT_EQ(picture.ShowPicture().shown, Shown::Nothing) << c.name;
    }
    EXPECT_EQ(picture.LoadFile(dir / "missing.bmp").status(), Status::CantFindFile);
    EXPECT_TRUE(outputFiles().empty());
}

namespace {

std::string encoded(const char* format, int width, int height)
{
    return encodedPicture(format, width, height, QColor(10, 200, 30));
}

}  // namespace

// A file that says it is a picture and does not decode is a damaged
// picture, with the decoder's reason; the decoder says nothing on the side.
TEST_F(Loading, BrokenPicturesAreRefusedWithTheirReason)
{
    const std::string png = encoded("png", 16, 16);
    const std::string jpeg = encoded("jpeg", 16, 16);
    const std::string bmp = asText(makeBmp(4, 4, patternOf(4, 4)));
    std::string badCrc = png;
    badCrc[png.size() - 20] = static_cast<char>(badCrc[png.size() - 20] ^ 0x55);  // inside the IDAT data
    const struct {
        const char* name;
        std::string bytes;
        Status status;
    } cases[] = {
            {"png cut in half", png.substr(0, png.size() / 2), Status::BrokenPicture},
            {"png signature only", png.substr(0, 8), Status::BrokenPicture},
            {"png with a damaged chunk", badCrc, Status::BrokenPicture},
            {"jpeg cut after its header", jpeg.substr(0, 20), Status::BrokenPicture},
            {"bmp one byte short", bmp.substr(0, bmp.size() - 1), Status::BrokenPicture},
            {"gif screen larger than a load may hold",
             asText(GifBuilder()
                            .header()
                            .screen(65535, 65535, 0)
                            .graphicControl(0, 0)
                            .image(0, 0, 1, 1, 0, {1})
                            .trailer()
                            .bytes()),
             Status::SurfaceTooLarge},
            {"gif cut inside its colour table", asText(GifBuilder().header().screen(2, 2, 0x87).bytes()).substr(0, 40),
             Status::BrokenPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ::testing::internal::CaptureStderr();
        const LoadOutcome loaded = picture.LoadFile(dir.write("broken.pic", c.bytes));
        const std::string stderrText = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(loaded.status(), c.status);
        // A limit speaks for itself; a damaged file adds what the decoder found.
        if (c.status == Status::BrokenPicture) {
            EXPECT_GT(loaded.reason().size(), std::string(statusText(c.status)).size()) << loaded.reason();
        }
        EXPECT_EQ(stderrText, "");
    }
    EXPECT_TRUE(outputFiles().empty());
}

TEST_F(Loading, BaseNames)
{
    struct Case {
        const char* path;
        const char* baseName;
    };
    const Case cases[] = {{"/pics/logo.final.gif", "logo.final"},
                          {"/old.pics/logo", "logo"},
                          {"myphoto", "myphoto"},
                          {"logo.bmp", "logo"},
                          {"/x/a.bmp.gif", "a.bmp"},
                          {"/x/.hidden", ""}};
    for (const Case& c : cases) {
        picture.LoadFile(c.path);
        EXPECT_EQ(picture.baseName(), c.baseName) << c.path;
    }
    const std::string longName(400, 'n');
    picture.LoadFile("/x/" + longName + ".gif");
    EXPECT_EQ(picture.baseName(), longName);
}

TEST_F(Loading, SizesRefusedBeforeAllocation)
{
    struct Case {
        const char* name;
        Bytes bytes;
        Status status;
    };
    const std::vector<Rgb> palette = {0x000000, 0xFFFFFF};
    const Case cases[] = {
            {"huge.gif", makeGif(65535, 65535, palette, {solidFrame(0, 0, 1, 1, 1)}), Status::SurfaceTooLarge},
            {"huge-animation.gif",
             makeGif(65535, 65535, palette, {solidFrame(0, 0, 1, 1, 1), solidFrame(0, 0, 1, 1, 0)}),
             Status::SurfaceTooLarge},
            {"zero-width.gif", makeGif(0, 5, palette, {solidFrame(0, 0, 1, 1, 1)}), Status::EmptySurface},
            {"zero-height.gif", makeGif(5, 0, palette, {solidFrame(0, 0, 1, 1, 1)}), Status::EmptySurface},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(picture.LoadFile(write(c.name, c.bytes)).status(), c.status) << c.name;
    }

    // An animation whose frame rectangle, small on disk, would not fit the
    // one buffer of indices it is decoded through.
    LoadLimits limits;
    limits.frameBytes = 100 * 100 - 1;
    picture.setLimits(limits);
    const auto big = write("frames.gif", makeGif(100, 100, palette,
                                                 {solidFrame(0, 0, 100, 100, 1), solidFrame(0, 0, 100, 100, 0),
                                                  solidFrame(0, 0, 100, 100, 1)}));
    EXPECT_EQ(picture.LoadFile(big).status(), Status::FramesTooLarge);
    EXPECT_EQ(picture.frameCount(), 0);

    // Many one-pixel frames: what each record costs counts as well.
    limits.frameBytes = 1 << 16;
    picture.setLimits(limits);
    const auto tinyFrames = [&](int count) {
        return makeGif(1, 1, palette,
                       std::vector<GifPictureFrame>(static_cast<std::size_t>(count), solidFrame(0, 0, 1, 1, 1)));
    };
    EXPECT_TRUE(picture.LoadFile(write("few.gif", tinyFrames(100))).ok());
    EXPECT_EQ(picture.frameCount(), 100);
    const int tooMany = static_cast<int>(limits.frameBytes / sizeof(FrameRecord)) + 1;
    EXPECT_EQ(picture.LoadFile(write("many.gif", tinyFrames(tooMany))).status(), Status::FramesTooLarge);

    limits = LoadLimits{};
    limits.surfaceBytes = 4 * 10 * 10;
    picture.setLimits(limits);
    EXPECT_EQ(picture.LoadFile(write("big.bmp", makeBmp(11, 10, patternOf(11, 10)))).status(), Status::SurfaceTooLarge);

    limits = LoadLimits{};
    limits.fileBytes = 16;
    picture.setLimits(limits);
    EXPECT_EQ(picture.LoadFile(write("long.bmp", makeBmp(2, 2, patternOf(2, 2)))).status(), Status::FileTooLarge);
    EXPECT_TRUE(outputFiles().empty());
}

TEST_F(Loading, FrameDisplayTimeFromLastExtractedFrame)
{
    struct Case {
        std::vector<int> delays;  // -1: no graphic control extension
        int displayTime;
    };
    const Case cases[] = {
            {{4, 50, 0}, 500}, {{10, 20, 75}, 750}, {{-1, -1}, 500}, {{75, 10}, 500}, {{100, 3000}, 30000}};
    for (const Case& c : cases) {
        std::vector<GifPictureFrame> frames;
        for (int delay : c.delays) {
            GifPictureFrame frame = solidFrame(0, 0, 2, 2, 1, delay);
            frame.control = delay >= 0;
            frames.push_back(frame);
        }
        ASSERT_TRUE(picture.LoadFile(write("anim.gif", makeGif(2, 2, {0, 0xFFFFFF}, frames))).ok());
        EXPECT_EQ(picture.frameCount(), static_cast<int>(c.delays.size()));
        EXPECT_EQ(picture.CountAnimationFrames(), static_cast<int>(c.delays.size()));
        EXPECT_EQ(picture.frameDisplayTime(), c.displayTime);
    }
}

TEST(FrameTiming, WaitsAndDisplayTimes)
{
    struct Case {
        int delay;
        long long waitMs;
        int displayTime;
    };
    // A delay of 0 has its row among the GIF quirks.
    const Case cases[] = {{-1, 100, 500}, {4, 100, 500},  {5, 50, 500},           {10, 100, 500},
                          {50, 500, 500}, {75, 750, 750}, {65535, 655350, 655350}};
    for (const Case& c : cases) {
        EXPECT_EQ(frameWait(c.delay).count(), c.waitMs) << c.delay;
        EXPECT_EQ(displayTimeOf(c.delay), c.displayTime) << c.delay;
    }
}

TEST_F(Loading, FrameThatDoesNotDecodeIsLeftOut)
{
    // The middle frame's rectangle is empty: nothing of it can decode.
    const Bytes gif = GifBuilder()
                              .header()
                              .screen(2, 2, 0)
                              .graphicControl(0, 10)
                              .image(0, 0, 2, 2, 0, {3})
                              .graphicControl(0, 20)
                              .image(0, 0, 0, 2, 0, {3})
                              .graphicControl(0, 75)
                              .image(0, 0, 2, 2, 0, {3})
                              .trailer()
                              .bytes();
    ASSERT_TRUE(picture.LoadFile(write("gap.gif", gif)).ok());
    EXPECT_EQ(picture.frameCount(), 2);
    EXPECT_EQ(picture.frameDisplayTime(), 750);
}

TEST_F(Loading, StillAndOneFrameGifs)
{
    const std::vector<Rgb> palette = {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF};
    GifPictureFrame whole;
    whole.width = 2;
    whole.height = 2;
    whole.indices = {0, 1, 2, 3};
    ASSERT_TRUE(picture.LoadFile(write("four.gif", makeGif(2, 2, palette, {whole}))).ok());
    EXPECT_TRUE(picture.isGif());
    EXPECT_EQ(picture.frameCount(), 0);
    EXPECT_EQ(picture.CountAnimationFrames(), 0);
    EXPECT_TRUE(picture.ShowPicture().stillWritten());
    auto dob = readDob(work / "adv" / "four.dob", 4);
    ASSERT_TRUE(dob);
    EXPECT_EQ(dob->greys, greysOf({0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF}));

    // One frame over part of the screen: the rest keeps the first fill.
    ASSERT_TRUE(picture.LoadFile(write("part.gif", makeGif(4, 3, palette, {solidFrame(1, 1, 2, 1, 0)}))).ok());
    EXPECT_EQ(picture.pictureWidth(), 4);
    EXPECT_EQ(picture.pictureHeight(), 3);
    EXPECT_TRUE(picture.ShowPicture().stillWritten());
    dob = readDob(work / "adv" / "part.dob", 12);
    ASSERT_TRUE(dob);
    EXPECT_EQ(dob->greys, std::vector<int>({0, 0, 0, 0, 0, 15, 15, 0, 0, 0, 0, 0}));
    EXPECT_EQ(playlistOf(work), "four.dob,3000\n\npart.dob,3000\n\n");
}

// The process's peak resident memory since the last reset, and the reset.
// Linux only; elsewhere the peak reads 0 and the test below is skipped.
std::uint64_t peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoull(line.substr(6)) * 1024;
    }
    return 0;
}
bool resetPeakResident() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

// What loading and writing an animation holds grows with its file, not with
// its frames times their rectangles: 200 frames of 320x240 would take 61 MB
// as 32-bit images, where their file takes a few hundred kilobytes.
TEST_F(Loading, AnAnimationsMemoryFollowsItsFileNotItsFrames)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer's allocator keeps what is freed";
#endif
    const struct {
        int frames;
    } cases[] = {{20}, {200}};
    std::uint64_t grown[2] = {};
    for (std::size_t c = 0; c < 2; ++c) {
        std::vector<GifPictureFrame> frames;
        for (int i = 0; i < cases[c].frames; ++i)
            frames.push_back(solidFrame(0, 0, 320, 240, static_cast<std::uint8_t>(i % 2)));
        const auto file = write("anim" + std::to_string(c) + ".gif", makeGif(320, 240, {0x000000, 0xFFFFFF}, frames));
        if (!resetPeakResident() || peakResidentBytes() == 0)
            GTEST_SKIP() << "no peak resident memory to read here";
        const std::uint64_t before = peakResidentBytes();
        ASSERT_TRUE(picture.LoadFile(file).ok());
        picture.ShowPicture();
        picture.finishPass();
        // The kernel keeps its counts per thread and sums them late, so the
        // peak may read a few pages below where it was reset.
        const std::uint64_t after = peakResidentBytes();
        grown[c] = after > before ? after - before : 0;
        picture.LoadFile(std::filesystem::path());  // lets go of the frames
    }
    EXPECT_LT(grown[1], 16u << 20) << "200 frames";
    // Ten times the frames: nowhere near ten times the memory.
    EXPECT_LT(grown[1], grown[0] + (4u << 20)) << grown[0] << " then " << grown[1];
    EXPECT_EQ(outputFiles().size(), 20u + 200u + 1u);
}

}  // namespace
}  // namespace pelkora::picture
