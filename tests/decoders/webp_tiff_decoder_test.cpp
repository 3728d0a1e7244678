// WebP and TIFF, written losslessly by their own libraries here and read
// back through the one way in: the pixels written, transparent ones over the
// colour asked for; damaged and oversized files refused with their reason.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
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

// Red and green running across and down, blue mixed; alpha running down
// when asked, from clear to opaque.
Bytes patternRgba(bool alpha)
{
    Bytes rgba;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            rgba.push_back(static_cast<std::uint8_t>(x * 255 / (kWidth - 1)));
            rgba.push_back(static_cast<std::uint8_t>(y * 255 / (kHeight - 1)));
            rgba.push_back(static_cast<std::uint8_t>((x * 7 + y * 13) % 256));
            rgba.push_back(alpha ? static_cast<std::uint8_t>(y * 255 / (kHeight - 1)) : 255);
        }
    return rgba;
}

std::vector<Pixel> expectedPixels(const Bytes& rgba)
{
    std::vector<Pixel> pixels;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        Pixel pixel = 0xFF000000;
        for (int c = 0; c < 3; ++c)
            pixel |= blendChannel(rgba[i + c], (kUnder >> (16 - 8 * c)) & 0xFF, rgba[i + 3]) << (16 - 8 * c);
        pixels.push_back(pixel);
    }
    return pixels;
}

Bytes losslessWebp(const Bytes& rgba)
{
    std::uint8_t* out = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), kWidth, kHeight, kWidth * 4, &out);
    Bytes bytes(out, out + size);
    WebPFree(out);
    return bytes;
}

// samples: 1 grey, 3 RGB, 4 RGB with unassociated alpha; uncompressed.
Bytes tiffOf(const Bytes& rgba, int samples, std::uint32_t width = kWidth, std::uint32_t height = kHeight)
{
    testing::TempDir dir;
    const std::string path = (dir / "t.tif").string();
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4);
    if (samples == 4) {
        const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    Bytes row(width * static_cast<std::uint32_t>(samples));
    for (std::uint32_t y = 0; y < height && y < kHeight; ++y) {
        for (std::uint32_t x = 0; x < kWidth; ++x)
            for (int s = 0; s < samples; ++s)
                row[x * samples + s] = rgba[(y * kWidth + x) * 4 + static_cast<std::uint32_t>(s)];
        TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes greyOf(const Bytes& rgba)
{
    Bytes grey = rgba;
    for (std::size_t i = 0; i < grey.size(); i += 4)
        grey[i + 1] = grey[i + 2] = grey[i];
    return grey;
}

std::vector<Pixel> decodedPixels(const DecodedStill& still)
{
    std::vector<Pixel> out;
    for (int y = 0; y < still.image.height(); ++y)
        out.insert(out.end(), still.image.row(y), still.image.row(y) + still.image.width());
    return out;
}

int largestDifference(const std::vector<Pixel>& a, const std::vector<Pixel>& b)
{
    int largest = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            largest = std::max(largest, std::abs(int((a[i] >> shift) & 0xFF) - int((b[i] >> shift) & 0xFF)));
    return largest;
}

TEST(WebpAndTiff, DecodeToThePixelsWritten)
{
    const Bytes opaque = patternRgba(false);
    const Bytes clear = patternRgba(true);
    const struct {
        const char* name;
        Bytes file;
        Bytes pixels;
        int tolerance;  // libtiff weighs colour by alpha itself, rounding once more
    } cases[] = {
            {"WebP lossless", losslessWebp(opaque), opaque, 0},
            {"WebP lossless with alpha", losslessWebp(clear), clear, 0},
            {"TIFF RGB", tiffOf(opaque, 3), opaque, 0},
            {"TIFF grey", tiffOf(greyOf(opaque), 1), greyOf(opaque), 0},
            {"TIFF RGB with alpha", tiffOf(clear, 4), clear, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedStill still = DecodeStill(c.file.data(), c.file.size(), {kLimit, kUnder});
        ASSERT_EQ(still.status, Status::Ok) << still.reason;
        ASSERT_EQ(still.image.width(), kWidth);
        ASSERT_EQ(still.image.height(), kHeight);
        EXPECT_LE(largestDifference(decodedPixels(still), expectedPixels(c.pixels)), c.tolerance);
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
        std::string said;  // a part of the reason
    } cases[] = {
            {"WebP cut short", Bytes(webp.begin(), webp.begin() + 40), kLimit, Status::BrokenPicture, "libwebp"},
            {"WebP beyond the limit", webp, fits - 1, Status::SurfaceTooLarge, ""},
            {"TIFF cut short", Bytes(tiff.begin(), tiff.begin() + 200), kLimit, Status::BrokenPicture, "libtiff"},
            {"TIFF header alone", Bytes(tiff.begin(), tiff.begin() + 8), kLimit, Status::BrokenPicture, "libtiff"},
            {"TIFF beyond the limit", tiff, fits - 1, Status::SurfaceTooLarge, ""},
            // Its header claims 60000 x 60000: refused before anything that large is made.
            {"TIFF claiming a huge size", tiffOf(patternRgba(false), 3, 60000, 60000), kLimit,
             Status::SurfaceTooLarge, ""},
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
