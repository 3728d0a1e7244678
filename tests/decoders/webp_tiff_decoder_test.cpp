// WebP and TIFF, written losslessly by their own libraries here and read
// back through the one way in: the pixels written, transparent ones over the
// colour asked for; damaged and oversized files refused with their reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include <tiffio.h>
#include <webp/encode.h>

#include "decoders/still_decoder.h"
#include "support/temp_dir.h"

namespace pelkora::decoders {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint64_t kLimit = std::uint64_t{64} << 20;
constexpr Pixel kUnder = 0xFF336699;
constexpr int kWidth = 29;
constexpr int kHeight = 17;

// Colour running across and down; alpha, when asked, from clear at the top to opaque.
Bytes patternRgba(bool alpha)
{
    Bytes rgba;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            rgba.insert(rgba.end(), {std::uint8_t(x * 255 / (kWidth - 1)), std::uint8_t(y * 255 / (kHeight - 1)),
                                     std::uint8_t((x * 7 + y * 13) % 256),
                                     std::uint8_t(alpha ? y * 255 / (kHeight - 1) : 255)});
    return rgba;
}

Bytes losslessWebp(const Bytes& rgba)
{
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), kWidth, kHeight, kWidth * 4, &out);
    Bytes bytes(out, out + size);
    WebPFree(out);
    return bytes;
}

// Uncompressed 8-bit RGB, or RGBA with unassociated alpha.
Bytes tiffOf(const Bytes& rgba, int samples)
{
    testing::TempDir dir;
    const std::string path = (dir / "t.tif").string();
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kWidth);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kHeight);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
    const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    if (samples == 4)
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    Bytes row;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        row.insert(row.end(), rgba.begin() + long(i), rgba.begin() + long(i) + samples);
        if (row.size() == std::size_t(kWidth * samples)) {
            TIFFWriteScanline(tiff, row.data(), std::uint32_t(i / 4 / kWidth), 0);
            row.clear();
        }
    }
    TIFFClose(tiff);
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The largest difference of any channel from the pattern blended over kUnder.
int largestDifference(const DecodedStill& still, const Bytes& rgba)
{
    int largest = 0;
    for (int i = 0; i < kWidth * kHeight; ++i)
        for (int c = 0; c < 3; ++c) {
            const auto under = (kUnder >> (16 - 8 * c)) & 0xFF;
            const int expected = int(blendChannel(rgba[4 * i + c], under, rgba[4 * i + 3]));
            const int got = int((still.image.row(i / kWidth)[i % kWidth] >> (16 - 8 * c)) & 0xFF);
            largest = std::max(largest, std::abs(got - expected));
        }
    return largest;
}

TEST(WebpAndTiff, DecodeToThePixelsWritten)
{
    const Bytes opaque = patternRgba(false);
    const Bytes clear = patternRgba(true);
    const struct {
        const char* name;
        Bytes file;
        const Bytes& pixels;
        int tolerance;  // libtiff weighs colour by alpha itself, rounding once more
    } cases[] = {
            {"WebP lossless", losslessWebp(opaque), opaque, 0},
            {"WebP lossless with alpha", losslessWebp(clear), clear, 0},
            {"TIFF RGB", tiffOf(opaque, 3), opaque, 0},
            {"TIFF RGB with alpha", tiffOf(clear, 4), clear, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedStill still = DecodeStill(c.file.data(), c.file.size(), {kLimit, kUnder});
        ASSERT_EQ(still.status, Status::Ok) << still.reason;
        ASSERT_EQ(still.image.width(), kWidth);
        ASSERT_EQ(still.image.height(), kHeight);
        EXPECT_LE(largestDifference(still, c.pixels), c.tolerance);
    }
}

TEST(WebpAndTiff, DamagedOrOversizedFilesAreRefusedWithTheirReason)
{
    const Bytes webp = losslessWebp(patternRgba(false));
    const Bytes tiff = tiffOf(patternRgba(false), 3);
    const std::uint64_t fits = 4 * kWidth * kHeight;
    const struct {
        const char* name;
        Bytes bytes;
        std::uint64_t limit;
        Status status;
        const char* said;  // a part of the reason
    } cases[] = {
            {"WebP cut short", Bytes(webp.begin(), webp.begin() + 40), kLimit, Status::BrokenPicture, "libwebp"},
            {"WebP beyond the limit", webp, fits - 1, Status::SurfaceTooLarge, ""},
            {"TIFF cut short", Bytes(tiff.begin(), tiff.begin() + 200), kLimit, Status::BrokenPicture, "libtiff"},
            {"TIFF beyond the limit", tiff, fits - 1, Status::SurfaceTooLarge, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedStill still = DecodeStill(c.bytes.data(), c.bytes.size(), {c.limit, kUnder});
        EXPECT_EQ(still.status, c.status) << still.reason;
        EXPECT_NE(still.reason.find(c.said), std::string::npos) << still.reason;
        EXPECT_TRUE(still.image.isNull());
    }
}

}  // namespace
}  // namespace pelkora::decoders
