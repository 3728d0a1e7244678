#include "decoders/webp_decoder.h"

#include <webp/decode.h>

#include "decoders/decoded_rows.h"

namespace pelkora::decoders {

namespace {

const char* wordsOf(VP8StatusCode code)
{
    switch (code) {
    case VP8_STATUS_OUT_OF_MEMORY:
        return "out of memory";
    case VP8_STATUS_INVALID_PARAM:
        return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR:
        return "the picture data is damaged";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "a feature this decoder does not support";
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "the file ends before the picture does";
    default:
        return "the picture does not decode";
    }
}

DecodedStill refused(std::string reason)
{
    DecodedStill result;
    result.reason = "libwebp: " + std::move(reason);
    return result;
}

}  // namespace

DecodedStill DecodeWebp(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    WebPBitstreamFeatures features;
    if (const VP8StatusCode code = WebPGetFeatures(data, size, &features); code != VP8_STATUS_OK)
        return refused(wordsOf(code));
    if (features.has_animation)
        return refused("an animated WebP, which is not read here");
    DecodedStill result;
    // Checked before the pixels are decoded: the rows cost what the surface does.
    result.status = checkSurfaceSize(features.width, features.height, request.surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    DecodedRows rows;
    rows.layout = RowLayout::Rgba8;
    rows.width = features.width;
    rows.height = features.height;
    rows.hasAlpha = features.has_alpha != 0;
    rows.bytes.resize(rows.rowBytes() * static_cast<std::size_t>(rows.height));
    if (WebPDecodeRGBAInto(data, size, rows.bytes.data(), rows.bytes.size(), static_cast<int>(rows.rowBytes()))
        == nullptr)
        return refused(wordsOf(VP8_STATUS_BITSTREAM_ERROR));
    result.image = flattenRows(rows, request.underneath);
    if (result.image.isNull())
        result.status = Status::SurfaceTooLarge;
    return result;
}

}  // namespace pelkora::decoders
