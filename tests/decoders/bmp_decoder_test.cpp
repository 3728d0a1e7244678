// The direct BMP reader against the toolkit's reader where that one is right,
// against exact values where it is not, and on files built to hurt.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "decoders/bmp_decoder.h"
#include "decoders/still_decoder.h"
#include "support/bmp_builder.h"

namespace {

using pelkora::Status;
using pelkora::decoders::DecodeBmp;
using pelkora::decoders::DecodeStill;
using pelkora::testing::BmpRecipe;
using pelkora::testing::buildBmp;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kLimit = std::uint64_t{64} << 20;
constexpr QRgb kUnder = 0xFF336699;

// count values below modulo (0: the whole 32 bits), in a fixed shuffled order.
std::vector<std::uint32_t> values(std::size_t count, std::uint64_t modulo, std::uint32_t seed = 1)
{
    std::mt19937 random(seed);
    std::vector<std::uint32_t> out(count);
    for (auto& v : out)
        v = modulo == 0 ? random() : static_cast<std::uint32_t>(random() % modulo);
    return out;
}

BmpRecipe recipe(std::uint32_t header, int width, int height, unsigned bits, std::uint32_t compression = 0)
{
    BmpRecipe r;
    r.header = header;
    r.width = width;
    r.height = height;
    r.bits = bits;
    r.compression = compression;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height < 0 ? -height : height);
    r.pixels = values(count, bits >= 32 ? 0 : std::uint64_t{1} << bits, header + bits);
    return r;
}

BmpRecipe withPalette(BmpRecipe r, std::size_t colours)
{
    r.palette = values(colours, 1u << 24, 7);
    return r;
}

BmpRecipe withMasks(BmpRecipe r, std::array<std::uint32_t, 4> masks)
{
    r.masks = masks;
    return r;
}

BmpRecipe withCodes(BmpRecipe r, Bytes codes)
{
    r.codes = std::move(codes);
    return r;
}

// What the program made of a BMP through the toolkit alone: run-length
// bitmaps read over index 0, alpha flattened with the one integer formula.
QImage toolkitRead(const Bytes& bytes, QRgb underneath, int megabytes = 64)
{
    const QByteArray array =
            QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(array);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(megabytes);
    const std::uint32_t compression = bytes.size() >= 34 ? bytes[30] : 0;
    QImage image;
    if (compression == 1 || compression == 2) {
        image = QImage(reader.size(), reader.imageFormat());
        image.fill(0);
        if (!reader.read(&image))
            return {};
    } else {
        image = reader.read();
    }
    if (image.isNull() || !image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    image = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    auto blend = [](int over, int under, int a) { return (over * a + under * (255 - a) + 127) / 255; };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            out.setPixel(x, y,
                         qRgb(blend(qRed(c), qRed(underneath), qAlpha(c)),
                              blend(qGreen(c), qGreen(underneath), qAlpha(c)),
                              blend(qBlue(c), qBlue(underneath), qAlpha(c))));
        }
    return out;
}

std::vector<QRgb> pixelsOf(const QImage& image)
{
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(image.pixel(x, y));
    return out;
}

std::vector<QRgb> pixelsOf(const pelkora::Image& image)
{
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.push_back(image.pixel(x, y));
    return out;
}

struct Named {
    const char* name;
    BmpRecipe recipe;
};

// A file and the pixels it must give, worked out by hand.
struct PixelCase {
    const char* name;
    BmpRecipe recipe;
    std::vector<QRgb> expected;
};

template <std::size_t N>
void expectPixels(const PixelCase (&cases)[N])
{
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = buildBmp(c.recipe);
        const auto still = DecodeStill(bytes.data(), bytes.size(), {kLimit, kUnder});
        ASSERT_EQ(still.status, Status::Ok);
        EXPECT_EQ(pixelsOf(still.image), c.expected);
    }
}

TEST(BmpDecoder, ReadsWhatTheToolkitReadsRightToTheSameBytes)
{
    const std::array<std::uint32_t, 4> bgr = {0xFF, 0xFF00, 0xFF0000, 0};
    const std::array<std::uint32_t, 4> rgba = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    const std::array<std::uint32_t, 4> argb = {0xFF00, 0xFF0000, 0xFF000000, 0xFF};
    const Named cases[] = {
            {"24 bits, bottom-up", recipe(40, 7, 5, 24)},
            {"24 bits, top-down", recipe(40, 5, -3, 24)},
            {"24 bits, one pixel", recipe(40, 1, 1, 24)},
            {"24 bits, core header", recipe(12, 6, 4, 24)},
            {"24 bits, version 4 header", recipe(108, 3, 3, 24)},
            {"24 bits, version 5 header with an alpha mask", withMasks(recipe(124, 3, 2, 24), rgba)},
            {"32 bits, its top byte ignored", recipe(40, 4, 3, 32)},
            {"32 bits, top-down", recipe(40, 3, -4, 32)},
            {"32 bits, version 5 header, alpha in the top byte", withMasks(recipe(124, 5, 3, 32), rgba)},
            {"32 bits, version 4 header, alpha in the top byte", withMasks(recipe(108, 5, 3, 32), rgba)},
            {"32 bits, version 5 header, masks ignored", withMasks(recipe(124, 4, 2, 32), bgr)},
            {"32 bit fields, blue and red swapped", withMasks(recipe(40, 4, 3, 32, 3), bgr)},
            {"32 bit fields, a mask of 0", withMasks(recipe(40, 4, 3, 32, 3), {0xFF0000, 0, 0xFF, 0})},
            {"32 bit fields, version 5, alpha low", withMasks(recipe(124, 4, 3, 32, 3), argb)},
            {"32 bit fields, version 4, alpha high", withMasks(recipe(108, 4, -3, 32, 3), rgba)},
            {"1 bit, two colours", withPalette(recipe(40, 13, 3, 1), 2)},
            {"1 bit, one colour", withPalette(recipe(40, 9, 2, 1), 1)},
            {"1 bit, core header", withPalette(recipe(12, 17, 2, 1), 2)},
            {"4 bits, full palette", withPalette(recipe(40, 7, 3, 4), 16)},
            {"4 bits, short palette", withPalette(recipe(40, 9, 3, 4), 5)},
            {"4 bits, top-down", withPalette(recipe(40, 3, -3, 4), 16)},
            {"8 bits, full palette", withPalette(recipe(40, 6, 4, 8), 256)},
            {"8 bits, short palette", withPalette(recipe(40, 6, 4, 8), 100)},
            {"8 bits, core header", withPalette(recipe(12, 5, 3, 8), 256)},
            {"8 bits, OS/2 2.x header", withPalette(recipe(64, 5, 3, 8), 200)},
            {"8 bits, version 5 header", withPalette(recipe(124, 5, 3, 8), 256)},
    };
    for (const Named& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = buildBmp(c.recipe);
        const auto direct = DecodeBmp(bytes.data(), bytes.size(), {kLimit, kUnder});
        ASSERT_TRUE(direct.has_value());
        ASSERT_EQ(direct->status, Status::Ok);
        const QImage expected = toolkitRead(bytes, kUnder);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(QSize(direct->image.width(), direct->image.height()), expected.size());
        EXPECT_EQ(pixelsOf(direct->image), pixelsOf(expected));
        const auto still = DecodeStill(bytes.data(), bytes.size(), {kLimit, kUnder});
        EXPECT_EQ(still.status, Status::Ok);
        EXPECT_EQ(pixelsOf(still.image), pixelsOf(expected));
    }
}

TEST(BmpDecoder, RunLengthCodesDrawLikeTheToolkitOverTheFirstColour)
{
    const BmpRecipe eight = withPalette(recipe(40, 6, 4, 8, 1), 9);
    const BmpRecipe four = withPalette(recipe(40, 7, 3, 4, 2), 16);
    const Named cases[] = {
            {"8: runs and ends of line", withCodes(eight, {6, 1, 0, 0, 2, 2, 4, 3, 0, 0, 3, 4, 0, 0, 1, 8, 0, 1})},
            {"8: absolute runs, odd and even",
             withCodes(eight, {0, 3, 5, 6, 7, 0, 0, 0, 0, 4, 1, 2, 3, 4, 2, 5, 0, 1})},
            {"8: a move right and up", withCodes(eight, {1, 2, 0, 2, 3, 2, 2, 7, 0, 1})},
            {"8: stops early", withCodes(eight, {3, 3, 0, 1})},
            {"8: no end code", withCodes(eight, {6, 1, 0, 0, 6, 2})},
            {"8: indices past the palette", withCodes(eight, {3, 200, 2, 9, 0, 0, 0, 3, 255, 1, 128, 0, 0, 1})},
            {"8: end of line after the last row",
             withCodes(eight, {6, 1, 0, 0, 6, 2, 0, 0, 6, 3, 0, 0, 6, 4, 0, 0, 0, 1})},
            {"4: runs alternate their two indices", withCodes(four, {7, 0x12, 0, 0, 4, 0x3F, 0, 0, 0, 1})},
            {"4: absolute runs",
             withCodes(four, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 7, 0xAB, 0xCD, 0xEF, 0x10, 0, 1})},
            {"4: a move, then a run", withCodes(four, {2, 0x55, 0, 2, 2, 1, 3, 0x67, 0, 1})},
    };
    for (const Named& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = buildBmp(c.recipe);
        const auto direct = DecodeBmp(bytes.data(), bytes.size(), {kLimit, kUnder});
        ASSERT_TRUE(direct.has_value());
        const QImage expected = toolkitRead(bytes, kUnder);
        ASSERT_FALSE(expected.isNull());
        EXPECT_EQ(pixelsOf(direct->image), pixelsOf(expected));
    }
}

// Values worked out by hand: v * 255 / max, rounded.
TEST(BmpDecoder, ScalesMasksOfAnyWidthWithRounding)
{
    auto row = [](std::uint32_t header, unsigned bits, std::uint32_t compression, std::array<std::uint32_t, 4> masks,
                  std::vector<std::uint32_t> pixels) {
        BmpRecipe r = recipe(header, static_cast<int>(pixels.size()), 1, bits, compression);
        r.masks = masks;
        r.pixels = std::move(pixels);
        return r;
    };
    const PixelCase cases[] = {
            {"10-bit masks",
             row(40, 32, 3, {0x3FF00000, 0xFFC00, 0x3FF, 0}, {0x3FFFFFFF, 512u << 20 | 3u << 10 | 2, 1023u << 10}),
             {0xFFFFFFFF, 0xFF800100, 0xFF00FF00}},
            {"2-bit masks",
             row(40, 32, 3, {0x30, 0xC, 0x3, 0}, {0x3F, 0x1B, 0x24}),
             {0xFFFFFFFF, 0xFF55AAFF, 0xFFAA5500}},
            {"16 bits 5-6-5",
             row(40, 16, 3, {0xF800, 0x7E0, 0x1F, 0}, {0xFFFF, 0x8410, 0x0821}),
             {0xFFFFFFFF, 0xFF848284, 0xFF080408}},
            {"16 bits, plain 5-5-5",
             row(40, 16, 0, {}, {0x7FFF, 0x4210, 0x0421}),
             {0xFFFFFFFF, 0xFF848484, 0xFF080808}},
            {"16 bits 4-6-6", row(40, 16, 3, {0xF000, 0xFC0, 0x3F, 0}, {0x1234, 0xF000}), {0xFF1120D2, 0xFFFF0000}},
            {"32 bits, a 16-bit red",
             row(40, 32, 3, {0xFFFF0000, 0xFF00, 0xFF, 0}, {0x80000000, 0xFFFF0102}),
             {0xFF800000, 0xFFFF0102}},
            // 1-bit alpha: set means opaque, clear means the colour underneath.
            {"16 bits 1-5-5-5 alpha",
             row(108, 16, 3, {0x7C00, 0x3E0, 0x1F, 0x8000}, {0xFFFF, 0x7FFF}),
             {0xFFFFFFFF, kUnder}},
    };
    expectPixels(cases);
}

// Forms the toolkit refuses, which the format defines.
TEST(BmpDecoder, ReadsTheFormsTheToolkitRefuses)
{
    auto two = [](std::uint32_t header, unsigned bits, std::uint32_t compression, std::array<std::uint32_t, 4> masks,
                  std::vector<std::uint32_t> pixels, std::vector<std::uint32_t> palette = {}) {
        BmpRecipe r = recipe(header, static_cast<int>(pixels.size()), 1, bits, compression);
        r.masks = masks;
        r.pixels = std::move(pixels);
        r.palette = std::move(palette);
        return r;
    };
    const std::vector<std::uint32_t> four = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    const PixelCase cases[] = {
            {"2 bits a pixel",
             two(40, 2, 0, {}, {0, 1, 2, 3, 3}, four),
             {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0, 0xFFA0B0C0}},
            {"2 bits, short palette", two(40, 2, 0, {}, {1, 3}, {0x111111, 0x222222}), {0xFF222222, 0xFF000000}},
            {"version 2 header", two(52, 24, 0, {}, {0x123456}), {0xFF123456}},
            {"version 2 header, bit fields", two(52, 32, 3, {0xFF, 0xFF00, 0xFF0000, 0}, {0x123456}), {0xFF563412}},
            {"version 3 header, alpha",
             two(56, 32, 3, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0xFF123456, 0x00123456}),
             {0xFF123456, kUnder}},
            {"alpha bit fields",
             two(40, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {0x80FFFFFF}),
             {qRgb((255 * 128 + 0x33 * 127 + 127) / 255, (255 * 128 + 0x66 * 127 + 127) / 255,
                   (255 * 128 + 0x99 * 127 + 127) / 255)}},
            {"OS/2 2.x short header",
             two(16, 8, 0, {}, {3, 0}, std::vector<std::uint32_t>(256, 0x0A0B0C)),
             {0xFF0A0B0C, 0xFF0A0B0C}},
    };
    expectPixels(cases);
}

// What this reader leaves, and what the program then makes of it: no other
// reader takes a bitmap, so each is a broken picture, never a text.
TEST(BmpDecoder, IrregularFilesAreBrokenPictures)
{
    struct Case {
        const char* name;
        Bytes bytes;
        Status status;
    };
    const BmpRecipe eight = withPalette(recipe(40, 6, 4, 8, 1), 9);
    auto patched = [](BmpRecipe r, std::size_t at, std::uint32_t value) {
        Bytes bytes = buildBmp(r);
        for (int k = 0; k < 4; ++k)
            bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
        return bytes;
    };
    BmpRecipe offsetPast = recipe(40, 4, 4, 24);
    offsetPast.pixelOffset = 1u << 30;
    BmpRecipe intoPalette = withPalette(recipe(40, 4, 4, 8), 256);
    intoPalette.pixelOffset = 60;
    BmpRecipe manyColours = withPalette(recipe(40, 4, 4, 4), 17);
    const Case cases[] = {
            {"masks not one run of bits", buildBmp(withMasks(recipe(40, 4, 2, 32, 3), {0xF0F00000, 0x0F0F00, 0xFF, 0})),
             Status::BrokenPicture},
            {"overlapping masks", buildBmp(withMasks(recipe(40, 4, 2, 32, 3), {0xFFFF00, 0xFFFF, 0xFF, 0})),
             Status::BrokenPicture},
            {"run past the row end", buildBmp(withCodes(eight, {9, 1, 0, 0, 2, 2, 0, 1})), Status::BrokenPicture},
            {"absolute run past the row end", buildBmp(withCodes(eight, {0, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0, 1})),
             Status::BrokenPicture},
            {"move past the row end", buildBmp(withCodes(eight, {1, 1, 0, 2, 9, 0, 1, 3, 0, 1})), Status::BrokenPicture},
            {"move past the last row", buildBmp(withCodes(eight, {1, 1, 0, 2, 1, 9, 1, 3, 0, 1})), Status::BrokenPicture},
            {"absolute run cut short", buildBmp(withCodes(eight, {6, 1, 0, 0, 0, 5, 3, 4})), Status::BrokenPicture},
            {"top-down run-length rows", buildBmp(withCodes(withPalette(recipe(40, 6, -4, 8, 1), 9), {6, 1, 0, 1})),
             Status::BrokenPicture},
            {"run-length codes at 4 bits a pixel, RLE8",
             buildBmp(withCodes(withPalette(recipe(40, 6, 4, 4, 1), 9), {6, 1})), Status::BrokenPicture},
            {"JPEG inside", buildBmp(recipe(40, 4, 4, 24, 4)), Status::BrokenPicture},
            {"PNG inside", buildBmp(recipe(40, 4, 4, 24, 5)), Status::BrokenPicture},
            {"bit fields at 24 bits", buildBmp(withMasks(recipe(40, 4, 4, 24, 3), {0xFF0000, 0xFF00, 0xFF, 0})),
             Status::BrokenPicture},
            {"pixels past the end", buildBmp(offsetPast), Status::BrokenPicture},
            {"pixels inside the palette", buildBmp(intoPalette), Status::BrokenPicture},
            {"more colours than the depth has", buildBmp(manyColours), Status::BrokenPicture},
            {"huge width", patched(recipe(40, 4, 1, 24), 18, 0x7FFFFFFF), Status::BrokenPicture},
            {"huge width and height, run-length", patched(withCodes(eight, {0, 1}), 18, 0x10000000),
             Status::BrokenPicture},
            {"no width", patched(recipe(40, 4, 4, 24), 18, 0), Status::BrokenPicture},
            {"no height", patched(recipe(40, 4, 4, 24), 22, 0), Status::BrokenPicture},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(DecodeBmp(c.bytes.data(), c.bytes.size(), {kLimit, kUnder}).has_value());
        const auto still = DecodeStill(c.bytes.data(), c.bytes.size(), {kLimit, kUnder});
        EXPECT_EQ(still.status, c.status);
    }
}

// Whether the toolkit reads this file's form right: palettes, 24 bits and
// masks 8 bits wide, under the headers it knows.
bool toolkitReadsRight(const Bytes& b)
{
    auto u16 = [&](std::size_t at) { return static_cast<unsigned>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | static_cast<std::uint32_t>(u16(at + 2)) << 16; };
    if (b.size() < 70)
        return false;
    const std::uint32_t header = u32(14);
    if (header != 12 && header != 40 && header != 64 && header != 108 && header != 124)
        return false;
    const unsigned bits = header == 12 ? u16(24) : u16(28);
    const std::uint32_t compression = header == 12 ? 0 : u32(30);
    if (bits == 16 || bits == 2)
        return false;
    if (compression == 3 || compression == 6)
        for (std::size_t at = 54; at < 70; at += 4)
            if (u32(at) != 0 && std::popcount(u32(at)) != 8)
                return false;
    return true;
}

// Every prefix of a whole file: never a read past the end, and never a
// picture from rows the file lacks.
TEST(BmpDecoder, CutFilesAreLeftOrReadUpToTheCut)
{
    const Named cases[] = {
            {"24 bits", recipe(40, 5, 3, 24)},
            {"8 bits, core header", withPalette(recipe(12, 5, 3, 8), 256)},
            {"16 bit fields, version 5", withMasks(recipe(124, 3, 3, 16, 3), {0xF800, 0x7E0, 0x1F, 0})},
            {"2 bits", withPalette(recipe(40, 9, 2, 2), 4)},
            {"run-length 4",
             withCodes(withPalette(recipe(40, 7, 3, 4, 2), 16), {7, 0x12, 0, 0, 0, 5, 1, 2, 3, 0, 0, 1})},
    };
    for (const Named& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes whole = buildBmp(c.recipe);
        const bool runLength = c.recipe.compression != 0;
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            const auto direct = DecodeBmp(cut.data(), cut.size(), {kLimit, kUnder});
            // A run-length stream may stop anywhere between its codes.
            if (!runLength) {
                EXPECT_FALSE(direct.has_value()) << length;
            } else if (direct) {
                EXPECT_EQ(QSize(direct->image.width(), direct->image.height()), QSize(c.recipe.width, c.recipe.height))
                        << length;
            }
        }
    }
}

// Files with bytes of the header flipped: whatever this reader still takes
// in a form the toolkit reads right comes out as the toolkit reads it.
TEST(BmpDecoder, DamagedHeadersReadLikeTheToolkitOrAreLeftToIt)
{
    const Named cases[] = {
            {"24 bits", recipe(40, 5, 3, 24)},
            {"32 bits, version 5 alpha", withMasks(recipe(124, 3, 2, 32), {0xFF0000, 0xFF00, 0xFF, 0xFF000000})},
            {"32 bit fields", withMasks(recipe(40, 4, 3, 32, 3), {0xFF, 0xFF00, 0xFF0000, 0})},
            {"8 bits, core header", withPalette(recipe(12, 5, 3, 8), 256)},
            {"4 bits, short palette", withPalette(recipe(40, 9, 3, 4), 5)},
            {"1 bit", withPalette(recipe(40, 13, 2, 1), 2)},
            {"run-length 8",
             withCodes(withPalette(recipe(40, 6, 4, 8, 1), 9), {6, 1, 0, 0, 0, 3, 5, 6, 7, 0, 2, 2, 0, 1})},
    };
    constexpr int kRounds = 300;
    int compared = 0;
    for (const Named& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes whole = buildBmp(c.recipe);
        std::mt19937 random(5);
        for (int round = 0; round < kRounds; ++round) {
            Bytes damaged = whole;
            for (int flips = 0; flips < 2; ++flips)
                damaged[random() % std::min<std::size_t>(damaged.size(), 70)] ^=
                        static_cast<std::uint8_t>(1u << (random() % 8));
            // Flipped sizes can ask for much: neither reader makes more than 1 MB here.
            const auto direct = DecodeBmp(damaged.data(), damaged.size(), {std::uint64_t{1} << 20, kUnder});
            if (!direct || direct->status != Status::Ok || !toolkitReadsRight(damaged))
                continue;
            const QImage expected = toolkitRead(damaged, kUnder, 1);
            if (expected.isNull())
                continue;
            ++compared;
            EXPECT_EQ(pixelsOf(direct->image), pixelsOf(expected)) << "round " << round;
        }
    }
    // Many flips leave a file both readers take: at least a quarter here.
    EXPECT_GE(compared * 4, kRounds * static_cast<int>(std::size(cases)));
}

TEST(BmpDecoder, ASizeBeyondTheLimitIsLeftBeforeAnyPixelIsMade)
{
    const Bytes bytes = buildBmp(recipe(40, 64, 64, 24));
    const std::uint64_t fits = 4 * 64 * 64;
    EXPECT_TRUE(DecodeBmp(bytes.data(), bytes.size(), {fits, kUnder}).has_value());
    EXPECT_FALSE(DecodeBmp(bytes.data(), bytes.size(), {fits - 1, kUnder}).has_value());
    EXPECT_EQ(DecodeStill(bytes.data(), bytes.size(), {fits - 1, kUnder}).status, Status::SurfaceTooLarge);
}

}  // namespace
