// Our PNG files read back by zlib and checked chunk by chunk: what a reader
// needs to find the picture, and the same bytes for the same picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <zlib.h>

#include "output/png_writer.h"

namespace {

using pelkora::output::encodePng;
using pelkora::output::PngColour;
using pelkora::output::PngPicture;

std::uint32_t u32At(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

struct Chunk {
    std::string type;
    std::string data;
};

// The chunks in order; each one's CRC must hold.
std::vector<Chunk> chunksOf(const std::string& file)
{
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t length = u32At(file, at);
        const std::string typed = file.substr(at + 4, 4 + length);
        const auto crc = static_cast<std::uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
        EXPECT_EQ(u32At(file, at + 8 + length), crc) << typed.substr(0, 4);
        chunks.push_back({typed.substr(0, 4), typed.substr(4)});
        at += 12 + length;
    }
    return chunks;
}

std::string inflated(const std::string& data, std::size_t expected)
{
    std::string out(expected + 1, '\0');
    uLongf length = static_cast<uLongf>(out.size());
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
                         static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(length);
    return out;
}

TEST(PngWriter, WritesGreyAndColourRowsAReaderFinds)
{
    const struct {
        PngPicture picture;
        char colourType;
        std::string rows;  // filter byte, then the samples, row by row
    } cases[] = {
            {{3, 2, PngColour::Grey8, {0, 17, 255, 34, 51, 68}}, 0, std::string("\0\0\x11\xFF\0\x22\x33\x44", 8)},
            {{1, 2, PngColour::Rgb8, {1, 2, 3, 4, 5, 6}}, 2, std::string("\0\1\2\3\0\4\5\6", 8)},
    };
    for (const auto& c : cases) {
        const auto file = encodePng(c.picture);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        const std::vector<Chunk> chunks = chunksOf(*file);
        ASSERT_EQ(chunks.size(), 3u);
        EXPECT_EQ(chunks[0].type + chunks[1].type + chunks[2].type, "IHDRIDATIEND");
        const std::string header = chunks[0].data;
        EXPECT_EQ(u32At(header, 0), static_cast<std::uint32_t>(c.picture.width));
        EXPECT_EQ(u32At(header, 4), static_cast<std::uint32_t>(c.picture.height));
        const std::string rest{'\x08', c.colourType, 0, 0, 0};
        EXPECT_EQ(header.substr(8), rest);
        EXPECT_EQ(inflated(chunks[1].data, c.rows.size()), c.rows);
        EXPECT_EQ(encodePng(c.picture), file);
    }
}

TEST(PngWriter, RefusesPicturesItCannotWriteWhole)
{
    const PngPicture cases[] = {
            {0, 1, PngColour::Grey8, {}},
            {2, 2, PngColour::Grey8, {1, 2, 3}},
            {1, 1, PngColour::Rgb8, {1}},
            {0x7FFFFFFF, 2, PngColour::Rgb8, {}},
    };
    for (const PngPicture& picture : cases)
        EXPECT_FALSE(encodePng(picture).has_value()) << picture.width << "x" << picture.height;
}

}  // namespace
