// The platform's picture reader on Linux: Qt's QImageReader. The decoded
// QImage becomes the core image here, at the edge, flattened onto the colour
// asked for.
#include "decoders/platform_decoder.h"

#include <cstring>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "decoders/decoder_messages.h"

namespace pelkora::decoders {

namespace {

const char* qtFormatName(StillFormat format)
{
    switch (format) {
    case StillFormat::Bmp:
        return "bmp";
    case StillFormat::Png:
        return "png";
    case StillFormat::Jpeg:
        return "jpeg";
    case StillFormat::Ico:
        return "ico";
    }
    return "";
}

Status checkSize(const QSize& size, std::uint64_t surfaceBytes)
{
    if (!size.isValid())
        return Status::Ok;  // the header does not tell; the decoded size is checked after
    return checkSurfaceSize(size.width(), size.height(), surfaceBytes);
}

std::uint32_t u32At(const std::uint8_t* data, std::size_t at)
{
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 | std::uint32_t{data[at + 2]} << 16
           | std::uint32_t{data[at + 3]} << 24;
}

std::uint16_t u16At(const std::uint8_t* data, std::size_t at)
{
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

// Qt leaves the rows that an uncompressed bitmap lacks as they were
// allocated, which would put stray memory into the package: such a file is
// refused whole. Run-length bitmaps are read over a blank picture (below).
bool bmpHoldsItsPixels(const std::uint8_t* data, std::size_t size)
{
    if (size < 26)
        return false;
    const std::uint64_t offset = u32At(data, 10);
    const std::uint32_t header = u32At(data, 14);
    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;
    if (header == 12) {
        width = u16At(data, 18);
        height = u16At(data, 20);
        bits = u16At(data, 24);
    } else {
        if (size < 34)
            return false;
        width = static_cast<std::int32_t>(u32At(data, 18));
        height = static_cast<std::int32_t>(u32At(data, 22));
        bits = u16At(data, 28);
        compression = u32At(data, 30);
    }
    // BI_RGB and the bit-field layouts store every row whole.
    if (compression != 0 && compression != 3 && compression != 6)
        return true;
    if (width <= 0 || bits == 0 || bits > 32)
        return false;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    if (offset > size)
        return false;
    // Divided rather than multiplied: the header's numbers can be anything.
    return rows == 0 || rowBytes <= (size - offset) / rows;
}

// BI_RLE8 and BI_RLE4: the codes may skip pixels or stop early, and the
// reader leaves what they do not reach as it was allocated.
bool isRunLengthBmp(const std::uint8_t* data, std::size_t size)
{
    if (size < 34 || u32At(data, 14) < 40)
        return false;
    const std::uint32_t compression = u32At(data, 30);
    return compression == 1 || compression == 2;
}

// Reads into a picture that holds index 0 everywhere, so that the pixels the
// codes never reach take the first palette colour, the same on every
// machine. Nothing when the reader would not draw into that picture.
QImage readOverBlank(QImageReader& reader)
{
    const QSize size = reader.size();
    if (!size.isValid() || reader.imageFormat() == QImage::Format_Invalid)
        return {};
    QImage image(size, reader.imageFormat());
    if (image.isNull())
        return {};
    image.fill(0);
    // A replacement picture would be allocated while this one still lives,
    // so an equal address means the reader drew into ours.
    const uchar* blank = image.constBits();
    if (!reader.read(&image) || image.constBits() != blank)
        return {};
    return image;
}

// The decoded picture as the core image: opaque pixels as they stand, the
// others blended over underneath.
Image flattened(const QImage& decoded, Pixel underneath)
{
    const bool alpha = decoded.hasAlphaChannel();
    const QImage pixels = decoded.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Image out(pixels.width(), pixels.height());
    if (out.isNull())
        return out;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        Pixel* to = out.row(y);
        if (!alpha) {
            std::memcpy(to, from, static_cast<std::size_t>(pixels.width()) * sizeof(Pixel));
            continue;
        }
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb c = from[x];
            const auto a = static_cast<std::uint32_t>(qAlpha(c));
            to[x] = qRgb(static_cast<int>(blendChannel(qRed(c), qRed(underneath), a)),
                         static_cast<int>(blendChannel(qGreen(c), qGreen(underneath), a)),
                         static_cast<int>(blendChannel(qBlue(c), qBlue(underneath), a)));
        }
    }
    return out;
}

DecodedStill decodeQuietly(const std::uint8_t* data, std::size_t size, StillFormat format,
                           const StillRequest& request, DecoderMessages& messages)
{
    DecodedStill result;
    if (format == StillFormat::Png)
        messages.holdStandardError();
    if (format == StillFormat::Bmp && !bmpHoldsItsPixels(data, size)) {
        result.reason = "the file is shorter than the rows its header announces";
        return result;
    }
    // The bytes are only read during this call, so no copy is needed.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return result;
    QImageReader reader(&buffer, qtFormatName(format));
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    // The surface limit is ours; let the reader allocate up to it.
    reader.setAllocationLimit(static_cast<int>(request.surfaceBytes >> 20) + 1);
    result.status = checkSize(reader.size(), request.surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    const QImage image = isRunLengthBmp(data, size) ? readOverBlank(reader) : reader.read();
    if (image.isNull()) {
        result.status = Status::NotAPicture;
        result.reason = reader.errorString().toStdString();
        return result;
    }
    result.status = checkSize(image.size(), request.surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    result.image = flattened(image, request.underneath);
    if (result.image.isNull())
        result.status = Status::SurfaceTooLarge;
    return result;
}

}  // namespace

DecodedStill DecodeOnPlatform(const std::uint8_t* data, std::size_t size, StillFormat format,
                              const StillRequest& request)
{
    DecoderMessages messages;
    DecodedStill result = decodeQuietly(data, size, format, request, messages);
    result.messages = messages.take();
    return result;
}

}  // namespace pelkora::decoders
