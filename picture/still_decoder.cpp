#include "picture/still_decoder.h"

#include <cstring>
#include <limits>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include "gif/gif_scanner.h"
#include "picture/bmp_decoder.h"
#include "picture/decoder_messages.h"
#include "picture/pixel_bytes.h"

namespace pelkora::picture {

namespace {

struct Signature {
    const char* format;
    const char* bytes;
    std::size_t length;
};

// Formats whose first bytes say what they are. ICO's four bytes are weak on
// their own, so its image count must not be 0 either (checked below).
constexpr Signature kSignatures[] = {
        {"bmp", "BM", 2},
        {"png", "\x89PNG\r\n\x1a\n", 8},
        {"jpeg", "\xFF\xD8\xFF", 3},
        {"ico", "\x00\x00\x01\x00", 4},
};

bool startsWith(const std::uint8_t* data, std::size_t size, const Signature& signature)
{
    return size >= signature.length && std::memcmp(data, signature.bytes, signature.length) == 0;
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

std::uint32_t blend(std::uint32_t over, std::uint32_t under, std::uint32_t alpha)
{
    return (over * alpha + under * (255 - alpha) + 127) / 255;
}

QImage flattened(const QImage& decoded, QRgb underneath)
{
    if (!decoded.hasAlphaChannel())
        return decoded.convertToFormat(QImage::Format_RGB32);
    const QImage straight = decoded.convertToFormat(QImage::Format_ARGB32);
    QImage out(straight.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < straight.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(straight.constScanLine(y));
        auto* to = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < straight.width(); ++x) {
            const QRgb c = from[x];
            const auto a = static_cast<std::uint32_t>(qAlpha(c));
            to[x] = qRgb(static_cast<int>(blend(qRed(c), qRed(underneath), a)),
                         static_cast<int>(blend(qGreen(c), qGreen(underneath), a)),
                         static_cast<int>(blend(qBlue(c), qBlue(underneath), a)));
        }
    }
    return out;
}

DecodedStill DecodeStillQuietly(const std::uint8_t* data, std::size_t size, std::uint64_t surfaceBytes, QRgb underneath,
                                DecoderMessages& messages);

}  // namespace

bool IsRecognisablePicture(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr)
        return false;
    if (gif::HasGifSignature(data, size))
        return true;
    const char* format = StillFormatOf(data, size);
    if (format == nullptr)
        return false;
    if (std::strcmp(format, "png") == 0 || std::strcmp(format, "jpeg") == 0)
        return true;
    if (std::strcmp(format, "bmp") != 0 || size < 18)
        return false;
    return IsBmpInfoHeaderSize(u32At(data, 14));
}

const char* StillFormatOf(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr)
        return nullptr;
    for (const Signature& signature : kSignatures) {
        if (!startsWith(data, size, signature))
            continue;
        if (std::strcmp(signature.format, "ico") == 0 && (size < 6 || (data[4] == 0 && data[5] == 0)))
            return nullptr;
        return signature.format;
    }
    return nullptr;
}

DecodedStill DecodeStill(const std::uint8_t* data, std::size_t size, std::uint64_t surfaceBytes, QRgb underneath)
{
    DecoderMessages messages;
    DecodedStill result = DecodeStillQuietly(data, size, surfaceBytes, underneath, messages);
    result.messages = messages.take();
    if (result.status == Status::NotAPicture && IsRecognisablePicture(data, size)) {
        result.status = Status::BrokenPicture;
        // The plugin's own words (libpng's error, say) tell more than the
        // reader's summary, so they come first.
        std::string reason;
        for (const std::string& message : result.messages)
            reason += (reason.empty() ? "" : "; ") + message;
        if (!result.reason.empty())
            reason += (reason.empty() ? "" : "; ") + result.reason;
        result.reason = std::move(reason);
        result.messages.clear();  // said in the reason
    }
    return result;
}

namespace {

DecodedStill DecodeStillQuietly(const std::uint8_t* data, std::size_t size, std::uint64_t surfaceBytes, QRgb underneath,
                                DecoderMessages& messages)
{
    DecodedStill result;
    const char* format = StillFormatOf(data, size);
    if (format != nullptr && std::strcmp(format, "png") == 0)
        messages.holdStandardError();
    if (format == nullptr || size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return result;
    if (std::strcmp(format, "bmp") == 0) {
        if (!bmpHoldsItsPixels(data, size)) {
            result.reason = "the file is shorter than the rows its header announces";
            return result;
        }
        if (auto direct = DecodeBmp(data, size, surfaceBytes, underneath))
            return std::move(*direct);
    }
    // The bytes are only read during this call, so no copy is needed.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return result;
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    // The surface limit is ours; let the reader allocate up to it.
    reader.setAllocationLimit(static_cast<int>(surfaceBytes >> 20) + 1);
    result.status = checkSize(reader.size(), surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    QImage image = isRunLengthBmp(data, size) ? readOverBlank(reader) : reader.read();
    if (image.isNull()) {
        result.status = Status::NotAPicture;
        result.reason = reader.errorString().toStdString();
        return result;
    }
    result.status = checkSize(image.size(), surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    result.image = flattened(image, underneath);
    if (result.image.isNull())
        result.status = Status::SurfaceTooLarge;
    return result;
}

}  // namespace

}  // namespace pelkora::picture
