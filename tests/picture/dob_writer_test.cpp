#include "output/dob_writer.h"
#include "output/grey_pairs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

using testing::kBlack;
using testing::kWhite;
using testing::TempDir;

std::vector<std::uint8_t> encode(const std::vector<std::uint32_t>& pixels, int width, int height)
{
    return EncodeDob(PixelView{pixels.data(), width, height, width});
}

std::vector<std::uint8_t> bytesOf(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(DobEncoding, WorkedExamples)
{
    struct Case {
        const char* name;
        int width, height;
        std::vector<std::uint32_t> pixels;
        std::vector<std::uint8_t> expected;
    };
    const std::vector<Case> cases = {
            {"black white black", 3, 1, {kBlack, kWhite, kBlack}, bytesOf({0x03, 0x01, 0x0F, 0x0F})},
            {"white over black", 1, 2, {kWhite, kBlack}, bytesOf({0x01, 0x02, 0xF0})},
            {"one white", 1, 1, {kWhite}, bytesOf({0x01, 0x01, 0x00})},
            {"one black", 1, 1, {kBlack}, bytesOf({0x01, 0x01, 0x0F})},
            // Pixel 3 starts the second row and shares a byte with the end of the first.
            {"rows joined",
             3,
             2,
             {kWhite, kWhite, kBlack, kBlack, kWhite, kWhite},
             bytesOf({0x03, 0x02, 0x00, 0xFF, 0x00})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(encode(c.pixels, c.width, c.height), c.expected) << c.name;
}

TEST(DobEncoding, GreyLevels)
{
    struct Case {
        std::uint32_t pixel;
        int grey;
    };
    const Case cases[] = {{0xFFFFFF, 0},  {0x000000, 15}, {0x808080, 7}, {0xFF0000, 10},
                          {0x00FF00, 10}, {0x0000FF, 10}, {0xF0F0F0, 0}, {0xFF101010, 14}};
    for (const Case& c : cases)
        EXPECT_EQ(greyOf(c.pixel), c.grey) << std::hex << c.pixel;
}

TEST(DobEncoding, SizesAndWrappedHeader)
{
    const std::vector<std::uint32_t> wide(300 * 20, kWhite);
    const auto dob = encode(wide, 300, 20);
    ASSERT_EQ(dob.size(), 3002u);
    EXPECT_EQ(dob[0], 0x2C);
    EXPECT_EQ(dob[1], 0x14);

    const std::vector<std::uint32_t> nine(9, kBlack);
    const auto small = encode(nine, 3, 3);
    ASSERT_EQ(small.size(), 7u);
    EXPECT_EQ(small[6], 0x0F);  // high nibble of the last byte stays 0

    EXPECT_EQ(encode(std::vector<std::uint32_t>(320 * 240), 320, 240).size(), 38402u);
    EXPECT_TRUE(EncodeDob(PixelView{nine.data(), 0, 3, 0}).empty());
}

// The paired encoder must agree with the one-pixel formula everywhere, also
// for rows with gaps between them.
TEST(DobEncoding, MatchesPixelFormulaOnRandomPictures)
{
    std::mt19937 random(7);
    for (int width : {1, 2, 3, 7, 64, 301}) {
        const int height = 5;
        const int stride = width + 3;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(stride) * height);
        for (auto& p : pixels)
            p = random();
        const auto dob = EncodeDob(PixelView{pixels.data(), width, height, stride});
        ASSERT_EQ(dob.size(), 2 + (static_cast<std::size_t>(width) * height + 1) / 2);
        for (int i = 0; i < width * height; ++i) {
            const std::uint32_t p = pixels[static_cast<std::size_t>((i / width) * stride + i % width)];
            const int nibble = i % 2 == 0 ? dob[2 + i / 2] & 0xF : dob[2 + i / 2] >> 4;
            ASSERT_EQ(nibble, testing::greyOfRgb(p & 0xFFFFFF)) << "width " << width << " pixel " << i;
        }
    }
}

// The wide loop and the plain one give the same bytes for every length
// around their block edges, whatever the alpha byte holds.
TEST(DobEncoding, WideAndPlainLoopsAgree)
{
    std::mt19937 random(11);
    std::vector<std::uint32_t> pixels(300);
    for (auto& p : pixels)
        p = random();
    for (std::size_t count = 0; count <= pixels.size(); ++count) {
        std::vector<std::uint8_t> wide((count + 1) / 2 + 1, 0xA5);
        std::vector<std::uint8_t> plain(wide);
        packGreyPairs(pixels.data(), count, wide.data());
        packGreyPairsPlain(pixels.data(), count, plain.data());
        ASSERT_EQ(wide, plain) << count << " pixels";
        ASSERT_EQ(wide.back(), 0xA5) << "wrote past " << count << " pixels";
    }
}

// Every combination of the three upper nibbles, through the whole encoder.
TEST(DobEncoding, EveryNibbleSum)
{
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t r = 0; r < 16; ++r)
        for (std::uint32_t g = 0; g < 16; ++g)
            for (std::uint32_t b = 0; b < 16; ++b)
                pixels.push_back(r << 20 | g << 12 | b << 4 | 0x0F0F0F);
    const auto dob = encode(pixels, 64, 64);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const int nibble = i % 2 == 0 ? dob[2 + i / 2] & 0xF : dob[2 + i / 2] >> 4;
        ASSERT_EQ(nibble, greyOf(pixels[i])) << i;
    }
}

TEST(DobPlaylistLines, FormFromFrameCount)
{
    EXPECT_EQ(lineFormFor(0, 0), PlaylistLineForm::StillPicture);
    EXPECT_EQ(lineFormFor(5, 4), PlaylistLineForm::LastFrame);
    EXPECT_EQ(lineFormFor(5, 0), PlaylistLineForm::AnimationFrame);
    EXPECT_EQ(lineFormFor(5, 3), PlaylistLineForm::AnimationFrame);
}

class DobWriting : public ::testing::Test {
protected:
    DobTarget target(const std::string& capture, PlaylistLineForm form) const
    {
        return DobTarget{dir.path() / "adv" / capture, dir.path() / "adv", dir.path(), form, 500, {}, {}};
    }
    std::string playlist() const { return TempDir::read(dir.path() / "adv" / "advertising.index"); }
    void settings(const std::string& text) const { dir.write("advTimeSetting.ini", text); }

    TempDir dir;
    std::vector<std::uint32_t> pixel{kBlack};
    PixelView view{pixel.data(), 1, 1, 1};
    void SetUp() override { std::filesystem::create_directories(dir.path() / "adv"); }
};

TEST_F(DobWriting, LinesOfEachForm)
{
    EXPECT_EQ(writeDobFile(target("logo.dob", PlaylistLineForm::StillPicture), view).status, Status::Ok);
    EXPECT_EQ(writeDobFile(target("anim-01.dob", PlaylistLineForm::AnimationFrame), view).status, Status::Ok);
    EXPECT_EQ(writeDobFile(target("anim-02.dob", PlaylistLineForm::LastFrame), view).status, Status::Ok);
    EXPECT_EQ(playlist(), "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,1500\n\n");
    EXPECT_EQ(TempDir::read(dir.path() / "adv" / "logo.dob"), std::string("\x01\x01\x0F", 3));
}

TEST_F(DobWriting, SettingsReadAfreshForEachLine)
{
    struct Case {
        const char* value;
        const char* line;
    };
    const Case cases[] = {{"2500", "logo.dob,2500\n\n"},
                          {"1234567890123", "logo.dob,123456789\n\n"},
                          {"fast", "logo.dob,fast\n\n"},
                          {"", "logo.dob,\n\n"}};
    std::string expected;
    for (const Case& c : cases) {
        settings(std::string("[IntervalTime]\nStaticGifPlayTime=") + c.value + "\nDynamicGifLastPicPlayTime=77\n");
        EXPECT_EQ(writeDobFile(target("logo.dob", PlaylistLineForm::StillPicture), view).status, Status::Ok);
        expected += c.line;
    }
    writeDobFile(target("anim-02.dob", PlaylistLineForm::LastFrame), view);
    EXPECT_EQ(playlist(), expected + "anim-02.dob,77\n\n");
}

TEST_F(DobWriting, FileThatCannotBeCreatedGetsNoLine)
{
    const DobTarget missingFolder{dir.path() / "gone" / "logo.dob",
                                  dir.path() / "adv",
                                  dir.path(),
                                  PlaylistLineForm::StillPicture,
                                  0,
                                  {},
                                  {}};
    EXPECT_EQ(writeDobFile(missingFolder, view).status, Status::CannotWrite);
    EXPECT_EQ(playlist(), "");
}

TEST_F(DobWriting, ExistingFileOverwrittenPlaylistAppended)
{
    dir.write("adv/logo.dob", std::string(100, 'x'));
    ASSERT_EQ(writeDobFile(target("logo.dob", PlaylistLineForm::StillPicture), view).status, Status::Ok);
    ASSERT_EQ(writeDobFile(target("logo.dob", PlaylistLineForm::StillPicture), view).status, Status::Ok);
    EXPECT_EQ(TempDir::read(dir.path() / "adv" / "logo.dob").size(), 3u);
    EXPECT_EQ(playlist(), "logo.dob,3000\n\nlogo.dob,3000\n\n");
}

TEST_F(DobWriting, MissingPlaylistFolderReported)
{
    const DobTarget noIndex{dir.path() / "adv" / "logo.dob",
                            dir.path() / "nowhere",
                            dir.path(),
                            PlaylistLineForm::StillPicture,
                            0,
                            {},
                            {}};
    EXPECT_EQ(writeDobFile(noIndex, view).status, Status::CannotWriteIndex);
    EXPECT_EQ(TempDir::read(dir.path() / "adv" / "logo.dob").size(), 3u);
}

}  // namespace
}  // namespace pelkora::output
