// The platform's picture reader where the system has none of its own to
// offer: the format libraries themselves, one decoder a format.

#include <limits>

#include "decoders/ico_decoder.h"
#include "decoders/jpeg_decoder.h"
#include "decoders/platform_decoder.h"
#include "decoders/png_decoder.h"
#include "decoders/tiff_decoder.h"
#include "decoders/webp_decoder.h"

namespace pelkora::decoders {

namespace {

std::int64_t i32At(const std::uint8_t* data, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8
                                     | std::uint32_t{data[at + 2]} << 16 | std::uint32_t{data[at + 3]} << 24);
}

// The bitmaps our own reader leaves are irregular ones; of those, a picture
// too large for the surface is still told apart from one that is broken.
DecodedStill declineBitmap(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    DecodedStill result;
    result.reason = "this form of bitmap is not supported";
    if (size < 26 || data[14] < 16)
        return result;
    const std::int64_t width = i32At(data, 18);
    const std::int64_t height = i32At(data, 22);
    const std::int64_t rows = height < 0 ? -height : height;
    constexpr std::int64_t kMostPixels = std::int64_t{16384} * 16384;
    if (width <= 0 || rows == 0 || rows > kMostPixels / width)
        return result;
    const Status status = checkSurfaceSize(width, rows, request.surfaceBytes);
    if (status != Status::Ok)
        result.status = status;
    return result;
}

}  // namespace

DecodedStill DecodeOnPlatform(const std::uint8_t* data, std::size_t size, StillFormat format,
                              const StillRequest& request)
{
    switch (format) {
    case StillFormat::Png:
        return DecodePng(data, size, request);
    case StillFormat::Jpeg:
        return DecodeJpeg(data, size, request);
    case StillFormat::Ico:
        return DecodeIco(data, size, request);
    case StillFormat::Webp:
        return DecodeWebp(data, size, request);
    case StillFormat::Tiff:
        return DecodeTiff(data, size, request);
    case StillFormat::Bmp:
        break;
    }
    return declineBitmap(data, size, request);
}

}  // namespace pelkora::decoders
