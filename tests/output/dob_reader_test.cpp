#include <gtest/gtest.h>

#include <random>

#include "output/dob_reader.h"
#include "output/dob_writer.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

std::uint64_t dobLength(std::uint64_t width, std::uint64_t height) { return 2 + (width * height + 1) / 2; }

// Every width from 1 to 65535, not only those the header allows: an oracle
// that shares nothing with the stepping through widths the reader does.
std::vector<Size> bruteForceSizes(std::uint8_t byte0, std::uint8_t byte1, std::uint64_t length)
{
    std::vector<Size> sizes;
    if (length < 3)
        return sizes;
    for (std::uint64_t width = 1; width <= 65535; ++width) {
        for (std::uint64_t height = (2 * (length - 2) - 1) / width; height <= 2 * (length - 2) / width + 1; ++height) {
            if (height < 1 || height > 65535 || dobLength(width, height) != length)
                continue;
            if ((width & 0xFF) == byte0 && (height & 0xFF) == byte1)
                sizes.push_back({static_cast<int>(width), static_cast<int>(height)});
        }
    }
    return sizes;
}

TEST(DobSizes, FollowFromTheHeaderAndTheLength)
{
    const struct {
        std::uint8_t byte0;
        std::uint8_t byte1;
        std::uint64_t length;
        std::vector<Size> expected;
    } cases[] = {
            {1, 1, 3, {{1, 1}}},
            {3, 1, 4, {{3, 1}}},
            {3, 3, 7, {{3, 3}}},
            {1, 2, 3, {{1, 2}}},
            {0x2C, 0x14, 3002, {{300, 20}}},          // 300 x 20: the width wrapped
            {0, 0, 32770, {{256, 256}}},              // both wrapped to 0
            {0, 0, 65538, {{256, 512}, {512, 256}}},  // two sizes fit
            {3, 3, 8, {}},                            // one byte too many
            {3, 3, 6, {}},                            // one byte short
            {1, 1, 2, {}},                            // a header alone
            {0, 0, 0, {}},
            {0xFF, 0xFF, dobLength(65535, 65535), {{65535, 65535}}},
            {0xFF, 0xFF, dobLength(65535, 65535) + 1, {}},
            {7, 9, std::uint64_t{1} << 40, {}},  // longer than any picture
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.byte0) + "," + std::to_string(c.byte1) + " length " + std::to_string(c.length));
        const std::vector<Size> sizes = dobSizeCandidates(c.byte0, c.byte1, c.length);
        EXPECT_EQ(sizes, c.expected);
        if (c.length < 200000) {
            EXPECT_EQ(sizes, bruteForceSizes(c.byte0, c.byte1, c.length));
        }
    }
}

TEST(DobSizes, AgreeWithEverySizeThatWrapsTheHeader)
{
    std::mt19937 random(20240610);
    std::uniform_int_distribution<int> side(1, 1300);
    for (int round = 0; round < 40; ++round) {
        const int width = side(random);
        const int height = side(random);
        const auto byte0 = static_cast<std::uint8_t>(width & 0xFF);
        const auto byte1 = static_cast<std::uint8_t>(height & 0xFF);
        const std::uint64_t length = dobLength(width, height);
        const std::vector<Size> sizes = dobSizeCandidates(byte0, byte1, length);
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        EXPECT_NE(std::find(sizes.begin(), sizes.end(), Size{width, height}), sizes.end());
        EXPECT_EQ(sizes, bruteForceSizes(byte0, byte1, length));
    }
}

// A picture whose every pixel is the grey a rendered DOB shows for its level.
std::vector<std::uint32_t> renderedGreys(const std::vector<std::uint8_t>& levels)
{
    std::vector<std::uint32_t> pixels;
    for (const std::uint8_t level : levels) {
        const std::uint32_t grey = 255u - 17u * level;
        pixels.push_back(0xFF000000u | grey << 16 | grey << 8 | grey);
    }
    return pixels;
}

TEST(DobDecoding, GivesBackTheLevelsTheWriterPacked)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> level(0, 15);
    const Size sizes[] = {{1, 1}, {1, 2}, {3, 3}, {5, 2}, {16, 1}, {17, 13}, {255, 3}, {300, 7}};
    for (const Size size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        std::vector<std::uint8_t> levels(static_cast<std::size_t>(size.width * size.height));
        for (std::size_t i = 0; i < levels.size(); ++i)
            levels[i] = static_cast<std::uint8_t>(i < 16 ? i : level(random));
        const std::vector<std::uint32_t> pixels = renderedGreys(levels);
        const std::vector<std::uint8_t> dob = EncodeDob({pixels.data(), size.width, size.height, size.width});
        const DobPicture picture = decodeDob(dob.data(), dob.size(), std::nullopt);
        ASSERT_EQ(picture.outcome.status, Status::Ok) << statusText(picture.outcome.status);
        EXPECT_EQ(picture.size, size);
        EXPECT_EQ(picture.levels, levels);
    }
}

TEST(DobDecoding, SaysWhyItCannotChooseASize)
{
    const std::vector<std::uint8_t> square = {3, 3, 0x21, 0x43, 0x65, 0x87, 0x09};
    std::vector<std::uint8_t> twoSizes(65538, 0x00);  // 256 x 512 or 512 x 256
    const struct {
        const char* what;
        const std::vector<std::uint8_t>* bytes;
        std::size_t size;
        std::optional<Size> wanted;
        Status expected;
        Size chosen;
    } cases[] = {
            {"one size", &square, 7, std::nullopt, Status::Ok, {3, 3}},
            {"the one size, asked for", &square, 7, Size{3, 3}, Status::Ok, {3, 3}},
            {"a size that does not fit", &square, 7, Size{9, 1}, Status::DobSizeUnfit, {}},
            {"cut short", &square, 6, std::nullopt, Status::BadDobLength, {}},
            {"header only", &square, 2, std::nullopt, Status::BadDobLength, {}},
            {"one byte", &square, 1, std::nullopt, Status::BadDobLength, {}},
            {"nothing", &square, 0, std::nullopt, Status::BadDobLength, {}},
            {"two sizes, none chosen", &twoSizes, twoSizes.size(), std::nullopt, Status::DobSizeAmbiguous, {}},
            {"two sizes, one chosen", &twoSizes, twoSizes.size(), Size{512, 256}, Status::Ok, {512, 256}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DobPicture picture = decodeDob(c.bytes->data(), c.size, c.wanted);
        EXPECT_EQ(picture.outcome.status, c.expected) << statusText(picture.outcome.status);
        if (c.expected == Status::Ok) {
            EXPECT_EQ(picture.size, c.chosen);
            EXPECT_EQ(picture.levels.size(), static_cast<std::size_t>(c.chosen.width * c.chosen.height));
        } else {
            EXPECT_TRUE(picture.levels.empty());
        }
    }
}

TEST(DobFiles, AreReadWholeOrNotAtAll)
{
    testing::TempDir work;
    const auto good = work.write("good.dob", std::string("\x03\x01\x0F\x0F", 4));
    const auto bad = work.write("bad.dob", std::string("\x03\x01\x0F", 3));
    std::filesystem::create_directory(work / "folder.dob");

    const DobPicture picture = readDobFile(good, std::nullopt);
    ASSERT_EQ(picture.outcome.status, Status::Ok);
    EXPECT_EQ(picture.levels, (std::vector<std::uint8_t>{15, 0, 15}));
    EXPECT_EQ(readDobFile(bad, std::nullopt).outcome.status, Status::BadDobLength);
    EXPECT_EQ(readDobFile(work / "none.dob", std::nullopt).outcome.status, Status::CantFindFile);
    EXPECT_EQ(readDobFile(work / "folder.dob", std::nullopt).outcome.status, Status::IsAFolder);

    const DobShape shape = inspectDobFile(bad);
    EXPECT_EQ(shape.outcome.status, Status::BadDobLength);
    EXPECT_EQ(shape.length, 3u);
    EXPECT_EQ(inspectDobFile(good).candidates, (std::vector<Size>{{3, 1}}));
}

}  // namespace
}  // namespace pelkora::output
