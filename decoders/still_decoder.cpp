#include "decoders/still_decoder.h"

#include <cstring>
#include <limits>

#include "decoders/bmp_decoder.h"
#include "decoders/platform_decoder.h"
#include "gif/gif_scanner.h"

namespace pelkora::decoders {

namespace {

struct Signature {
    StillFormat format;
    const char* bytes;
    std::size_t length;
};

// Formats whose first bytes say what they are. ICO's four bytes are weak on
// their own, so its image count must not be 0 either (checked below).
constexpr Signature kSignatures[] = {
        {StillFormat::Bmp, "BM", 2},
        {StillFormat::Png, "\x89PNG\r\n\x1a\n", 8},
        {StillFormat::Jpeg, "\xFF\xD8\xFF", 3},
        {StillFormat::Ico, "\x00\x00\x01\x00", 4},
        {StillFormat::Tiff, "II*\x00", 4},
        {StillFormat::Tiff, "MM\x00*", 4},
        {StillFormat::Tiff, "II+\x00", 4},  // BigTIFF
        {StillFormat::Tiff, "MM\x00+", 4},
        {StillFormat::Webp, "RIFF", 4},  // and "WEBP" at 8, checked below
};

bool startsWith(const std::uint8_t* data, std::size_t size, const Signature& signature)
{
    return size >= signature.length && std::memcmp(data, signature.bytes, signature.length) == 0;
}

std::uint32_t u32At(const std::uint8_t* data, std::size_t at)
{
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 | std::uint32_t{data[at + 2]} << 16
           | std::uint32_t{data[at + 3]} << 24;
}

DecodedStill decodeAny(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    const std::optional<StillFormat> format = StillFormatOf(data, size);
    // Past what the platform's reader can address nothing is tried, so that
    // a format reads the same whichever decoder would take it.
    if (!format || size > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    if (*format == StillFormat::Bmp) {
        if (auto direct = DecodeBmp(data, size, request))
            return std::move(*direct);
    }
    return DecodeOnPlatform(data, size, *format, request);
}

}  // namespace

std::optional<StillFormat> StillFormatOf(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr)
        return std::nullopt;
    for (const Signature& signature : kSignatures) {
        if (!startsWith(data, size, signature))
            continue;
        if (signature.format == StillFormat::Ico && (size < 6 || (data[4] == 0 && data[5] == 0)))
            return std::nullopt;
        if (signature.format == StillFormat::Webp && (size < 12 || std::memcmp(data + 8, "WEBP", 4) != 0))
            return std::nullopt;
        return signature.format;
    }
    return std::nullopt;
}

bool IsRecognisablePicture(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr)
        return false;
    if (gif::HasGifSignature(data, size))
        return true;
    const std::optional<StillFormat> format = StillFormatOf(data, size);
    if (format == StillFormat::Png || format == StillFormat::Jpeg || format == StillFormat::Webp
        || format == StillFormat::Tiff)
        return true;
    if (format != StillFormat::Bmp || size < 18)
        return false;
    return IsBmpInfoHeaderSize(u32At(data, 14));
}

DecodedStill DecodeStill(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    DecodedStill result = decodeAny(data, size, request);
    if (result.status == Status::NotAPicture && IsRecognisablePicture(data, size)) {
        result.status = Status::BrokenPicture;
        // The decoder's own words (libpng's error, say) tell more than the
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

}  // namespace pelkora::decoders
