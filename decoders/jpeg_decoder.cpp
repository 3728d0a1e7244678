#include "decoders/jpeg_decoder.h"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace pelkora::decoders {

namespace {

constexpr const char* kUnreadable = "Unable to read image data";
constexpr JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

// The whole file in memory; past its end the library reads an end-of-image
// marker, as a file that stops early is still shown as far as it goes.
struct MemorySource {
    jpeg_source_mgr manager{};
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

void startSource(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<MemorySource*>(info->src);
    source->manager.next_input_byte = source->data;
    source->manager.bytes_in_buffer = source->size;
}

boolean fillSource(j_decompress_ptr info)
{
    info->src->next_input_byte = kEndOfImage;
    info->src->bytes_in_buffer = sizeof kEndOfImage;
    return TRUE;
}

void skipSource(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    auto skip = static_cast<std::size_t>(count);
    while (skip > info->src->bytes_in_buffer) {
        skip -= info->src->bytes_in_buffer;
        fillSource(info);
    }
    info->src->next_input_byte += skip;
    info->src->bytes_in_buffer -= skip;
}

void endSource(j_decompress_ptr) {}

struct ErrorTrap {
    jpeg_error_mgr manager{};
    std::jmp_buf jump{};
    std::vector<std::string>* messages = nullptr;
};

void keepMessage(j_common_ptr info)
{
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    reinterpret_cast<ErrorTrap*>(info->err)->messages->emplace_back(text);
}

[[noreturn]] void onError(j_common_ptr info)
{
    info->err->output_message(info);
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

// Everything the library may jump out of, each with no object of ours made
// in between.
bool create(jpeg_decompress_struct& info, ErrorTrap& trap)
{
    if (setjmp(trap.jump) != 0)
        return false;
    jpeg_create_decompress(&info);
    return true;
}

bool readHeader(jpeg_decompress_struct& info, ErrorTrap& trap, const JpegShrink& shrink)
{
    if (setjmp(trap.jump) != 0)
        return false;
    jpeg_read_header(&info, TRUE);
    const int eighths =
            JpegScaleEighths(static_cast<int>(info.image_width), static_cast<int>(info.image_height), shrink);
    info.scale_num = static_cast<unsigned>(eighths);
    info.scale_denom = 8;
    jpeg_calc_output_dimensions(&info);
    return true;
}

// How the library's rows become the core image's pixels.
enum class RowForm {
    Direct,  // colour written by the library as the image's own pixels
    Rgb,
    Grey,
    Cmyk,
};

// Colour comes straight into the image where the machine stores its pixels
// as blue, green, red and an opaque byte; the rest pass through one row.
bool chooseForm(jpeg_decompress_struct& info, RowForm& form)
{
    switch (info.out_color_components) {
    case 1:
        form = RowForm::Grey;
        return true;
    case 3:
        form = RowForm::Rgb;
        if constexpr (std::endian::native == std::endian::little) {
            info.out_color_space = JCS_EXT_BGRA;
            form = RowForm::Direct;
        }
        return true;
    case 4:
        form = RowForm::Cmyk;
        return true;
    default:
        return false;
    }
}

// CMYK comes inverted, as the common writers store it: each ink is scaled
// by black.
void toPixels(RowForm form, const std::uint8_t* from, Pixel* to, int width)
{
    for (int x = 0; x < width; ++x) {
        std::uint32_t r = 0;
        std::uint32_t g = 0;
        std::uint32_t b = 0;
        if (form == RowForm::Grey) {
            r = g = b = from[x];
        } else if (form == RowForm::Rgb) {
            r = from[3 * x];
            g = from[3 * x + 1];
            b = from[3 * x + 2];
        } else {
            const std::uint32_t k = from[4 * x + 3];
            r = k * from[4 * x] / 255;
            g = k * from[4 * x + 1] / 255;
            b = k * from[4 * x + 2] / 255;
        }
        to[x] = opaque(r << 16 | g << 8 | b);
    }
}

// The image the rows are decoded into, at the size they come in, checked
// against the limit before it is allocated.
Status makeImage(const jpeg_decompress_struct& info, std::uint64_t surfaceBytes, Image& image)
{
    const Status fits = checkSurfaceSize(info.output_width, info.output_height, surfaceBytes);
    if (fits != Status::Ok)
        return fits;
    image = Image(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    return image.isNull() ? Status::SurfaceTooLarge : Status::Ok;
}

bool readScanlines(jpeg_decompress_struct& info, ErrorTrap& trap, RowForm form, std::uint8_t* row, Image& image)
{
    if (setjmp(trap.jump) != 0)
        return false;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        Pixel* pixels = image.row(static_cast<int>(info.output_scanline));
        JSAMPROW into = form == RowForm::Direct ? reinterpret_cast<JSAMPROW>(pixels) : row;
        jpeg_read_scanlines(&info, &into, 1);
        if (form != RowForm::Direct)
            toPixels(form, row, pixels, image.width());
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

int JpegScaleEighths(int width, int height, const JpegShrink& shrink)
{
    if (shrink.boxWidth <= 0 || shrink.boxHeight <= 0)
        return 8;
    for (int eighths = 1; eighths < 8; ++eighths) {
        const long long across = std::max(eighths == 1 ? shrink.acrossMeans : shrink.across, 1);
        // The library rounds each side up. The side that limits the fit is
        // the one with the most decoded pixels to each pixel of the box.
        const auto side = [eighths](int full) { return (static_cast<long long>(full) * eighths + 7) / 8; };
        if (side(width) >= across * shrink.boxWidth || side(height) >= across * shrink.boxHeight)
            return eighths;
    }
    return 8;
}

DecodedStill DecodeJpeg(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    DecodedStill result;
    ErrorTrap trap;
    trap.messages = &result.messages;
    jpeg_decompress_struct info{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = onError;
    trap.manager.output_message = keepMessage;
    if (!create(info, trap)) {
        result.reason = kUnreadable;
        return result;
    }
    MemorySource source;
    source.data = data;
    source.size = size;
    source.manager = {nullptr, 0, startSource, fillSource, skipSource, jpeg_resync_to_restart, endSource};
    info.src = &source.manager;

    RowForm form = RowForm::Direct;
    bool read = readHeader(info, trap, request.reduced) && chooseForm(info, form);
    if (read) {
        result.status = makeImage(info, request.surfaceBytes, result.image);
        if (result.status != Status::Ok) {
            jpeg_destroy_decompress(&info);
            return result;
        }
    }
    // A row of the library's samples for the forms that are converted.
    std::vector<std::uint8_t> row(read ? static_cast<std::size_t>(info.output_width) * 4 : 0);
    read = read && readScanlines(info, trap, form, row.data(), result.image);
    if (read && (info.output_width != info.image_width || info.output_height != info.image_height)) {
        result.fullWidth = static_cast<int>(info.image_width);
        result.fullHeight = static_cast<int>(info.image_height);
    }
    jpeg_destroy_decompress(&info);
    if (!read) {
        result.image = Image();
        result.status = Status::NotAPicture;
        result.reason = kUnreadable;
        return result;
    }
    result.status = Status::Ok;
    return result;
}

}  // namespace pelkora::decoders
