#include "decoders/tiff_decoder.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <tiffio.h>

namespace pelkora::decoders {

namespace {

// What libtiff's callbacks reach: the bytes, a read position, and what it said.
struct TiffSource {
    const std::uint8_t* data;
    std::size_t size;
    std::uint64_t at = 0;
    std::vector<std::string> messages;
};

TiffSource& sourceOf(thandle_t handle) { return *static_cast<TiffSource*>(handle); }

tmsize_t readBytes(thandle_t handle, void* to, tmsize_t length)
{
    TiffSource& source = sourceOf(handle);
    if (length <= 0 || source.at >= source.size)
        return 0;
    const auto count = std::min<std::uint64_t>(static_cast<std::uint64_t>(length), source.size - source.at);
    std::memcpy(to, source.data + source.at, static_cast<std::size_t>(count));
    source.at += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t refuseWrite(thandle_t, void*, tmsize_t) { return 0; }

toff_t seekTo(thandle_t handle, toff_t offset, int whence)
{
    TiffSource& source = sourceOf(handle);
    const std::uint64_t base = whence == SEEK_CUR ? source.at : whence == SEEK_END ? source.size : 0;
    // Past the end is allowed, as for a file; reads there find nothing.
    source.at = base + offset;
    return source.at;
}

int closeNothing(thandle_t) { return 0; }
toff_t sizeOf(thandle_t handle) { return sourceOf(handle).size; }
int mapNothing(thandle_t, void**, toff_t*) { return 0; }
void unmapNothing(thandle_t, void*, toff_t) {}

int say(TiffSource& source, const char* kind, const char* module, const char* format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    source.messages.push_back(std::string("libtiff ") + kind + ": " + (module ? std::string(module) + ": " : "")
                              + text);
    return 1;  // said here; libtiff's own handler stays quiet
}

int onError(TIFF*, void* user, const char* module, const char* format, va_list arguments)
{
    return say(*static_cast<TiffSource*>(user), "error", module, format, arguments);
}

int onWarning(TIFF*, void* user, const char* module, const char* format, va_list arguments)
{
    return say(*static_cast<TiffSource*>(user), "warning", module, format, arguments);
}

struct OptionsDeleter {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
struct TiffDeleter {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// libtiff's premultiplied RGBA over the colour asked for: the colour is
// already weighted by its alpha, so only what lies beneath is added.
Pixel flattened(std::uint32_t abgr, Pixel underneath)
{
    const std::uint32_t alpha = TIFFGetA(abgr);
    const std::uint32_t over[3] = {TIFFGetR(abgr), TIFFGetG(abgr), TIFFGetB(abgr)};
    Pixel pixel = 0xFF000000;
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t under = (underneath >> (16 - 8 * c)) & 0xFF;
        const std::uint32_t value = std::min<std::uint32_t>(255, over[c] + (under * (255 - alpha) + 127) / 255);
        pixel |= value << (16 - 8 * c);
    }
    return pixel;
}

// The first page, read whole: SurfaceTooLarge past the limit, NotAPicture
// with libtiff's words when it does not read.
DecodedStill readPage(TIFF* tiff, const StillRequest& request)
{
    DecodedStill result;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height)) {
        result.reason = "no picture size";
        return result;
    }
    result.status = checkSurfaceSize(width, height, request.surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    Image image(static_cast<int>(width), static_cast<int>(height));
    if (image.isNull()) {
        result.status = Status::SurfaceTooLarge;
        return result;
    }
    // The raster has the image's own 32-bit pixels, filled top row first.
    static_assert(sizeof(Pixel) == sizeof(std::uint32_t));
    auto* raster = reinterpret_cast<std::uint32_t*>(image.row(0));
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster, ORIENTATION_TOPLEFT, 0)) {
        result.status = Status::NotAPicture;
        result.reason = "the picture data does not read";
        return result;
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        Pixel* row = image.row(static_cast<int>(y));
        for (std::uint32_t x = 0; x < width; ++x)
            row[x] = flattened(row[x], request.underneath);
    }
    result.image = std::move(image);
    return result;
}

}  // namespace

DecodedStill DecodeTiff(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    TiffSource source{data, size, 0, {}};
    DecodedStill result;
    std::unique_ptr<TIFFOpenOptions, OptionsDeleter> options(TIFFOpenOptionsAlloc());
    if (!options) {
        result.reason = "out of memory";
        return result;
    }
    // A strip or tile larger than twice the largest surface (16-bit samples
    // with alpha) belongs to no picture that could be shown.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(std::min<std::uint64_t>(
                                                               2 * request.surfaceBytes + 65536, INT32_MAX)));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), onError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), onWarning, &source);
    // "m": the bytes are read through the callbacks, never mapped.
    std::unique_ptr<TIFF, TiffDeleter> tiff(TIFFClientOpenExt("picture", "rm", &source, readBytes, refuseWrite,
                                                              seekTo, closeNothing, sizeOf, mapNothing, unmapNothing,
                                                              options.get()));
    if (tiff) {
        result = readPage(tiff.get(), request);
        tiff.reset();
    } else {
        result.reason = "not a TIFF libtiff can open";
    }
    result.messages = std::move(source.messages);
    return result;
}

}  // namespace pelkora::decoders
