// The format libraries' decoders against the toolkit's reader, which the
// program used before them: the same pixels for every form the toolkit
// writes, the same words when a file is broken.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include "decoders/jpeg_decoder.h"
#include "decoders/still_decoder.h"

namespace {

using pelkora::Status;
using pelkora::decoders::DecodeStill;
using pelkora::decoders::JpegScaleEighths;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kLimit = std::uint64_t{64} << 20;
constexpr QRgb kUnder = 0xFF336699;

// Colour running across, alpha running down: every blend is met.
QImage pattern(QImage::Format format, int width = 37, int height = 23)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 255 / (width - 1), (x * 7 + y * 13) % 256, 255 - y * 255 / (height - 1),
                                       y * 255 / (height - 1)));
    return image.convertToFormat(format);
}

Bytes written(const QImage& image, const char* format, bool progressive = false, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return Bytes(bytes.begin(), bytes.end());
}

// The toolkit's pixels as the program took them: alpha blended over the
// colour underneath with the one formula.
std::vector<QRgb> toolkitPixels(const Bytes& bytes, const char* format)
{
    const QByteArray array =
            QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(array);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    std::vector<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            const auto a = static_cast<std::uint32_t>(qAlpha(c));
            auto blend = [a](int over, int under) {
                return static_cast<int>(pelkora::decoders::blendChannel(over, under, a));
            };
            out.push_back(qRgb(blend(qRed(c), qRed(kUnder)), blend(qGreen(c), qGreen(kUnder)),
                               blend(qBlue(c), qBlue(kUnder))));
        }
    return out;
}

std::vector<QRgb> decodedPixels(const pelkora::decoders::DecodedStill& still)
{
    std::vector<QRgb> out;
    for (int y = 0; y < still.image.height(); ++y)
        out.insert(out.end(), still.image.row(y), still.image.row(y) + still.image.width());
    return out;
}

TEST(LibraryDecoders, GiveTheToolkitsPixelsForEveryFormItWrites)
{
    QImage indexedAlpha = pattern(QImage::Format_Indexed8);
    indexedAlpha.setColor(3, qRgba(200, 10, 10, 90));
    const struct {
        const char* name;
        Bytes bytes;
        const char* format;
    } cases[] = {
            {"PNG grey 8", written(pattern(QImage::Format_Grayscale8), "png"), "png"},
            {"PNG grey 16", written(pattern(QImage::Format_Grayscale16), "png"), "png"},
            {"PNG RGB 8", written(pattern(QImage::Format_RGB32), "png"), "png"},
            {"PNG RGBA 8", written(pattern(QImage::Format_ARGB32), "png"), "png"},
            {"PNG RGB 16", written(pattern(QImage::Format_RGBX64), "png"), "png"},
            {"PNG RGBA 16", written(pattern(QImage::Format_RGBA64), "png"), "png"},
            {"PNG palette with transparency", written(indexedAlpha, "png"), "png"},
            {"PNG one bit", written(pattern(QImage::Format_Mono), "png"), "png"},
            {"JPEG colour", written(pattern(QImage::Format_RGB32), "jpeg", false, 90), "jpeg"},
            {"JPEG progressive", written(pattern(QImage::Format_RGB32), "jpeg", true, 60), "jpeg"},
            {"JPEG grey", written(pattern(QImage::Format_Grayscale8), "jpeg"), "jpeg"},
            {"icon", written(pattern(QImage::Format_RGB32, 32, 32), "ico"), "ico"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto still = DecodeStill(c.bytes.data(), c.bytes.size(), {kLimit, kUnder});
        ASSERT_EQ(still.status, Status::Ok) << still.reason;
        EXPECT_EQ(decodedPixels(still), toolkitPixels(c.bytes, c.format));
    }
}

TEST(LibraryDecoders, BrokenFilesSayWhyAndLargeOnesAreRefusedFromTheHeader)
{
    const Bytes png = written(pattern(QImage::Format_RGB32), "png");
    const Bytes jpeg = written(pattern(QImage::Format_RGB32), "jpeg");
    const Bytes icon = written(pattern(QImage::Format_ARGB32, 32, 32), "ico");
    const std::uint64_t fits = 4 * 37 * 23;
    const struct {
        const char* name;
        Bytes bytes;
        std::uint64_t limit;
        Status status;
        std::string said;  // the start of the reason, or of the first message
    } cases[] = {
            {"PNG cut short", Bytes(png.begin(), png.begin() + 60), kLimit, Status::BrokenPicture,
             "libpng error: Read Error; Unable to read image data"},
            {"PNG beyond the limit", png, fits - 1, Status::SurfaceTooLarge, ""},
            {"PNG at the limit", png, fits, Status::Ok, ""},
            {"JPEG cut short", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() * 2 / 3), kLimit, Status::Ok,
             "Corrupt JPEG data: premature end of data segment"},
            {"JPEG header only", Bytes(jpeg.begin(), jpeg.begin() + 20), kLimit, Status::BrokenPicture,
             "JPEG datastream contains no image; Unable to read image data"},
            {"JPEG beyond the limit", jpeg, fits - 1, Status::SurfaceTooLarge, ""},
            {"icon cut short", Bytes(icon.begin(), icon.end() - 1), kLimit, Status::NotAPicture,
             "Unable to read image data"},
            {"icon beyond the limit", icon, 4 * 32 * 32 - 1, Status::SurfaceTooLarge, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto still = DecodeStill(c.bytes.data(), c.bytes.size(), {c.limit, kUnder});
        EXPECT_EQ(still.status, c.status);
        const std::string said = still.messages.empty() ? still.reason : still.messages.front();
        EXPECT_EQ(said.substr(0, c.said.size()), c.said);
        EXPECT_EQ(still.image.isNull(), c.status != Status::Ok);
    }
}

// 16-bit colour with one transparent colour: that colour shows what lies
// underneath, every other pixel its own colour.
TEST(LibraryDecoders, SixteenBitTransparentColourIsSeeThrough)
{
    QImage image(4, 1, QImage::Format_RGBX64);
    image.setPixel(0, 0, qRgb(10, 20, 30));
    image.setPixel(1, 0, qRgb(250, 0, 0));
    image.setPixel(2, 0, qRgb(10, 20, 30));
    image.setPixel(3, 0, qRgb(0, 0, 255));
    Bytes bytes = written(image, "png");
    // A tRNS chunk naming (10, 20, 30) at 16 bits, in front of the pixels.
    const Bytes trns = {0, 0, 0, 6, 't', 'R', 'N', 'S', 0x0A, 0x0A, 0x14, 0x14, 0x1E, 0x1E};
    Bytes chunk = trns;
    std::uint32_t c = 0xFFFFFFFFu;  // the chunk's CRC over its type and data
    for (std::size_t i = 4; i < trns.size(); ++i) {
        c ^= trns[i];
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    c ^= 0xFFFFFFFFu;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<std::uint8_t>(c >> shift));
    bytes.insert(bytes.begin() + 33, chunk.begin(), chunk.end());  // after the signature and IHDR
    const auto still = DecodeStill(bytes.data(), bytes.size(), {kLimit, kUnder});
    ASSERT_EQ(still.status, Status::Ok) << still.reason;
    EXPECT_EQ(decodedPixels(still), (std::vector<QRgb>{kUnder, qRgb(250, 0, 0), kUnder, qRgb(0, 0, 255)}));
}

TEST(LibraryDecoders, JpegShrinksToTheSmallestScaleThatLeavesEnoughPixelsToEveryFittedOne)
{
    const struct {
        int width, height, boxWidth, boxHeight, acrossMeans, across, eighths;
    } cases[] = {
            {4000, 3000, 0, 0, 5, 8, 8},      {4000, 3000, 128, 64, 5, 8, 1},  {4000, 3000, 128, 64, 6, 8, 2},
            {4000, 3000, 128, 64, 6, 12, 3},  {1001, 777, 128, 64, 5, 8, 6},   {1001, 777, 40, 40, 5, 8, 3},
            {1001, 777, 200, 100, 5, 8, 8},   {9, 9, 3, 1, 1, 1, 1},           {9, 9, 3, 3, 0, 0, 2},
            {9, 9, 3, 3, 2, 2, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JpegScaleEighths(c.width, c.height, {c.boxWidth, c.boxHeight, c.acrossMeans, c.across}), c.eighths)
                << c.width << "x" << c.height << " to " << c.boxWidth << "x" << c.boxHeight;
}

}  // namespace
