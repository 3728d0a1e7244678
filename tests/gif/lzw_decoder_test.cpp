// The LZW decoder on hand-made code streams: what a damaged stream leaves
// decoded, every minimum code size, and the rows of an interlaced image.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "gif/frame_image.h"
#include "scan_passes.h"
#include "support/gif_builder.h"
#include "support/lzw_encoder.h"

namespace pelkora::gif {
namespace {

using namespace pelkora::gif::testing;
using pelkora::testing::GifBuilder;
using pelkora::testing::lzwEncode;
using pelkora::testing::LzwOptions;

constexpr std::uint8_t kUntouched = 0xEE;

struct Image {
    int width = 4;
    int height = 3;
    int minCodeSize = 2;
    bool interlaced = false;
};

// A one-image GIF around a code stream given as its bytes, cut into
// sub-blocks, with or without the chain's terminator.
Bytes gifAround(const Image& image, const std::vector<std::uint8_t>& codes, bool terminated = true)
{
    GifBuilder b;
    b.header().screen(image.width, image.height, 7);
    b.imageDescriptor(0, 0, image.width, image.height, image.interlaced ? 0x40 : 0x00);
    b.byte(static_cast<std::uint8_t>(image.minCodeSize));
    b.dataSubBlocks(codes);
    if (!terminated)
        b.dropLast(1);
    return b.bytes();
}

struct Decoded {
    Status status = Status::NotAPicture;
    int rows = 0;
    std::vector<std::uint8_t> indices;
};

// The record the walk gives of the image gifAround writes, made by hand so
// that a chain cut short, which ends a walk, still reaches the decoder.
GifFrame recordOf(const Bytes& data, const Image& image)
{
    GifFrame frame;
    frame.offset = 13 + 768;
    frame.length = data.size() - frame.offset;
    frame.hasImage = true;
    frame.rect = GifRect{0, 0, image.width, image.height};
    frame.interlaced = image.interlaced;
    frame.imageDataOffset = frame.offset + 10;
    frame.minCodeSize = data[frame.imageDataOffset];
    return frame;
}

Decoded decode(const Bytes& data, const Image& image)
{
    Decoded out;
    const GifFrame frame = recordOf(data, image);
    if (!holdsPixels(frame))
        return out;
    out.indices.assign(static_cast<std::size_t>(image.width) * image.height, kUntouched);
    FrameImageDecoder decoder;
    const DecodedRows rows = decoder.decode(data.data(), data.size(), frame, out.indices.data());
    out.status = rows.status;
    out.rows = rows.rowsComplete;
    return out;
}

std::vector<std::uint16_t> ramp(std::size_t count, unsigned modulo)
{
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(static_cast<std::uint16_t>((i * 7 + i / 5) % modulo));
    return values;
}

// Codes packed by hand, each of the given width.
std::vector<std::uint8_t> packCodes(const std::vector<std::pair<unsigned, int>>& codes)
{
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (const auto& [code, width] : codes) {
        bits |= code << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        out.push_back(static_cast<std::uint8_t>(bits));
    return out;
}

TEST(LzwDecoder, EveryMinimumCodeSizeDecodesWhatWasWritten)
{
    for (int size = 0; size <= 11; ++size) {
        SCOPED_TRACE(size);
        const Image image{23, 17, size};
        const unsigned literals = size == 0 ? 1u : std::min(1u << size, 256u);
        const std::vector<std::uint16_t> values = ramp(23 * 17, literals);
        LzwOptions options;
        options.minCodeSize = size;
        const Decoded d = decode(gifAround(image, lzwEncode(values, options)), image);
        EXPECT_EQ(d.status, Status::Ok);
        EXPECT_EQ(d.rows, 17);
        EXPECT_EQ(std::vector<std::uint16_t>(d.indices.begin(), d.indices.end()), values);
    }
    // Twelve bits leave no room for the first code's width.
    const Image tooWide{2, 2, 12};
    EXPECT_EQ(decode(gifAround(tooWide, {0, 0}), tooWide).status, Status::NotAPicture);
}

TEST(LzwDecoder, DamagedStreamsKeepTheRowsBeforeTheDamage)
{
    const Image image{4, 3, 2};
    struct Case {
        const char* name;
        std::vector<std::pair<unsigned, int>> codes;
        int rows;
        std::size_t pixels;  // written before the damage
    };
    // clear 4, end 5; codes grow to 4 bits once code 7 is defined.
    const Case cases[] = {
            {"end code after one row", {{4, 3}, {1, 3}, {1, 3}, {1, 3}, {1, 4}, {5, 4}}, 1, 4},
            {"end code in the middle of a row", {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 3}}, 0, 3},
            {"a code not yet defined", {{4, 3}, {1, 3}, {7, 3}}, 0, 1},
            {"a string code first after a clear", {{4, 3}, {6, 3}}, 0, 0},
            {"the code being defined first after a clear", {{4, 3}, {1, 3}, {4, 3}, {6, 3}}, 0, 1},
            {"an end code first", {{5, 3}}, 0, 0},
            {"codes that run out", {{4, 3}, {0, 3}, {6, 3}, {6, 3}, {7, 4}}, 2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(gifAround(image, packCodes(c.codes)), image);
        EXPECT_EQ(d.status, Status::BrokenPicture);
        EXPECT_EQ(d.rows, c.rows);
        std::size_t written = 0;
        while (written < d.indices.size() && d.indices[written] != kUntouched)
            ++written;
        EXPECT_EQ(written, c.pixels);
    }
}

TEST(LzwDecoder, TheCodeBeingDefinedRepeatsThePreviousString)
{
    // 1, then 6 = "1" + "1", then 7 = "11" + "1": six pixels of index 1.
    const Image image{6, 1, 2};
    const Decoded d = decode(gifAround(image, packCodes({{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}})), image);
    EXPECT_EQ(d.status, Status::Ok);
    EXPECT_EQ(d.indices, std::vector<std::uint8_t>(6, 1));
}

TEST(LzwDecoder, ChainEndsAsALineReaderFindsThem)
{
    const Image image{10, 6, 3};
    LzwOptions options;
    options.minCodeSize = 3;
    const std::vector<std::uint16_t> values = ramp(60, 8);
    const std::vector<std::uint8_t> codes = lzwEncode(values, options);
    struct Case {
        const char* name;
        Bytes data;
        Status status;
        int rows;
    };
    std::vector<std::uint16_t> extra = values;
    extra.insert(extra.end(), 40, 3);
    const Case cases[] = {
            {"whole", gifAround(image, codes), Status::Ok, 6},
            {"no terminator after the last pixel", gifAround(image, codes, false), Status::BrokenPicture, 5},
            {"more pixels than the image holds", gifAround(image, lzwEncode(extra, options)), Status::Ok, 6},
            {"no leading clear", gifAround(image, lzwEncode(values, LzwOptions{3, false})), Status::Ok, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(c.data, image);
        EXPECT_EQ(d.status, c.status);
        EXPECT_EQ(d.rows, c.rows);
        for (int p = 0; p < c.rows * image.width; ++p)
            ASSERT_EQ(d.indices[p], values[p]) << p;
    }
}

TEST(LzwDecoder, ASubBlockCutShortCountsAsAbsent)
{
    const Image image{64, 64, 8};
    LzwOptions options;
    options.minCodeSize = 8;
    const std::vector<std::uint16_t> values = ramp(64 * 64, 256);
    const std::vector<std::uint8_t> codes = lzwEncode(values, options);
    ASSERT_GT(codes.size(), 600u);
    const Bytes whole = gifAround(image, codes);
    // Two whole sub-blocks and a third cut anywhere decode as two alone.
    const std::size_t chain = whole.size() - codes.size() - codes.size() / 255 - 2;
    const Bytes twoBlocks(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(chain + 2 * 256));
    const Decoded reference = decode(twoBlocks, image);
    EXPECT_EQ(reference.status, Status::BrokenPicture);
    EXPECT_GT(reference.rows, 0);
    for (std::size_t cut : {1u, 2u, 100u, 255u}) {
        SCOPED_TRACE(cut);
        const Bytes cutShort(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(chain + 2 * 256 + cut));
        const Decoded d = decode(cutShort, image);
        EXPECT_EQ(d.rows, reference.rows);
        EXPECT_EQ(d.indices, reference.indices);
    }
    for (int p = 0; p < reference.rows * 64; ++p)
        ASSERT_EQ(reference.indices[p], values[p]) << p;
}

TEST(LzwDecoder, LiteralsAboveAByteStopTheDecode)
{
    const Image image{4, 1, 9};
    // clear 512; 255 is a literal a colour table holds, 256 is not.
    const Decoded d = decode(gifAround(image, packCodes({{512, 10}, {255, 10}, {256, 10}, {513, 10}})), image);
    EXPECT_EQ(d.status, Status::BrokenPicture);
    EXPECT_EQ(d.indices[0], 255);
    EXPECT_EQ(d.indices[1], kUntouched);
}

// The same code stream cut into sub-blocks of the given size.
Bytes gifInBlocks(const Image& image, const std::vector<std::uint8_t>& codes, std::size_t blockSize)
{
    GifBuilder b;
    b.header().screen(image.width, image.height, 7);
    b.imageDescriptor(0, 0, image.width, image.height, 0x00);
    b.byte(static_cast<std::uint8_t>(image.minCodeSize));
    for (std::size_t at = 0; at < codes.size(); at += blockSize) {
        const std::size_t n = std::min(blockSize, codes.size() - at);
        b.byte(static_cast<std::uint8_t>(n));
        for (std::size_t i = 0; i < n; ++i)
            b.byte(codes[at + i]);
    }
    b.byte(0);
    return b.bytes();
}

std::vector<std::uint16_t> runsOf(std::size_t count, std::size_t run, unsigned modulo)
{
    std::vector<std::uint16_t> values;
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(static_cast<std::uint16_t>((i / run) % modulo));
    return values;
}

TEST(LzwDecoder, StringsAndCodesAtEveryBoundaryDecodeAsWritten)
{
    struct Case {
        const char* name;
        Image image;
        std::vector<std::uint16_t> values;
        LzwOptions options;
        std::size_t blockSize;
    };
    const Case cases[] = {
            // Codes of 9 to 12 bits straddle every sub-block end, and no block
            // holds the 8 bytes a whole-word read wants.
            {"one-byte sub-blocks", {64, 64, 8}, ramp(64 * 64, 256), LzwOptions{8}, 1},
            {"seven-byte sub-blocks", {64, 64, 8}, ramp(64 * 64, 256), LzwOptions{8}, 7},
            {"nine-byte sub-blocks", {61, 37, 5}, ramp(61 * 37, 32), LzwOptions{5}, 9},
            // Long strings whose last byte is the image's last pixel, or that
            // end just before the last 16.
            {"a long run to the last byte", {40, 1, 2}, runsOf(40, 40, 4), LzwOptions{2}, 255},
            {"runs ending 16 before the end", {48, 3, 3}, runsOf(144, 16, 8), LzwOptions{3}, 255},
            {"runs of 17 to the end", {17, 9, 4}, runsOf(153, 17, 16), LzwOptions{4}, 255},
            {"one pixel", {1, 1, 2}, {3}, LzwOptions{2}, 255},
            {"sixteen pixels", {16, 1, 2}, runsOf(16, 3, 4), LzwOptions{2}, 255},
            // A full table at twelve bits, kept (no clear) for thousands of codes.
            {"a full table kept", {200, 150, 8}, ramp(200 * 150, 256), LzwOptions{8, true, false}, 255},
            {"a full table cleared", {200, 150, 8}, ramp(200 * 150, 256), LzwOptions{8}, 255},
            {"a full table from two literals", {300, 100, 1}, ramp(300 * 100, 2), LzwOptions{1, true, false}, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(gifInBlocks(c.image, lzwEncode(c.values, c.options), c.blockSize), c.image);
        EXPECT_EQ(d.status, Status::Ok);
        EXPECT_EQ(d.rows, c.image.height);
        EXPECT_EQ(std::vector<std::uint16_t>(d.indices.begin(), d.indices.end()), c.values);
    }
}

TEST(LzwDecoder, InterlacedRowsLieInTheirPasses)
{
    struct Case {
        int height;
        std::vector<int> rows;
    };
    const Case cases[] = {
            {1, {0}},
            {2, {0, 1}},
            {5, {0, 4, 2, 1, 3}},
            {10, {0, 8, 4, 2, 6, 1, 3, 5, 7, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        std::vector<int> rows;
        for (int n = 0; n < c.height; ++n)
            rows.push_back(imageRowAt(n, c.height, true));
        EXPECT_EQ(rows, c.rows);
        // Row n of the data filled with n: each picture row holds its data row.
        const Image image{3, c.height, 4, true};
        std::vector<std::uint16_t> values;
        for (int n = 0; n < c.height; ++n)
            values.insert(values.end(), 3, static_cast<std::uint16_t>(n));
        const Decoded d = decode(gifAround(image, lzwEncode(values, LzwOptions{4})), image);
        ASSERT_EQ(d.status, Status::Ok);
        for (int n = 0; n < c.height; ++n)
            EXPECT_EQ(d.indices[static_cast<std::size_t>(c.rows[n]) * 3], n);
    }
    EXPECT_EQ(imageRowAt(7, 10, false), 7);
}

}  // namespace
}  // namespace pelkora::gif
