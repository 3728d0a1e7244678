#include "decoders/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "decoders/decoded_rows.h"

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

bool readScanlines(jpeg_decompress_struct& info, ErrorTrap& trap, std::uint8_t* rows, std::size_t rowBytes)
{
    if (setjmp(trap.jump) != 0)
        return false;
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rows + static_cast<std::size_t>(info.output_scanline) * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

// Inverted CMYK, as the common writers store it, each ink scaled by black.
void cmykToRgba(std::vector<std::uint8_t>& samples)
{
    for (std::size_t at = 0; at + 4 <= samples.size(); at += 4) {
        const unsigned k = samples[at + 3];
        for (std::size_t c = 0; c < 3; ++c)
            samples[at + c] = static_cast<std::uint8_t>(k * samples[at + c] / 255);
        samples[at + 3] = 255;
    }
}

void greyTable(DecodedRows& rows)
{
    rows.layout = RowLayout::Index8;
    for (std::uint32_t i = 0; i < 256; ++i)
        rows.table[i] = opaque(i << 16 | i << 8 | i);
}

// The output form for the picture's components: grey as it is, colour as
// RGB with a filler byte, CMYK as the library gives it (converted after).
bool chooseLayout(jpeg_decompress_struct& info, DecodedRows& rows)
{
    rows.width = static_cast<int>(info.output_width);
    rows.height = static_cast<int>(info.output_height);
    switch (info.out_color_components) {
    case 1:
        greyTable(rows);
        return true;
    case 3:
        info.out_color_space = JCS_EXT_RGBX;
        rows.layout = RowLayout::Rgba8;
        return true;
    case 4:
        rows.layout = RowLayout::Rgba8;
        return true;
    default:
        return false;
    }
}

}  // namespace

int JpegScaleEighths(int width, int height, const JpegShrink& shrink)
{
    if (shrink.atLeastWidth <= 0 || shrink.atLeastHeight <= 0)
        return 8;
    for (int eighths : {1, 2, 4}) {
        // The library rounds each side up.
        const auto side = [eighths](int full) { return (static_cast<long long>(full) * eighths + 7) / 8; };
        if (side(width) >= shrink.atLeastWidth && side(height) >= shrink.atLeastHeight)
            return eighths;
    }
    return 8;
}

DecodedStill DecodeJpeg(const std::uint8_t* data, std::size_t size, const StillRequest& request,
                        const JpegShrink& shrink)
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

    DecodedRows rows;
    bool read = readHeader(info, trap, shrink);
    if (read) {
        result.status = checkSurfaceSize(info.output_width, info.output_height, request.surfaceBytes);
        if (result.status != Status::Ok) {
            jpeg_destroy_decompress(&info);
            return result;
        }
        read = chooseLayout(info, rows);
    }
    if (read) {
        rows.bytes.resize(rows.rowBytes() * static_cast<std::size_t>(rows.height));
        read = readScanlines(info, trap, rows.bytes.data(), rows.rowBytes());
    }
    const bool cmyk = info.out_color_space == JCS_CMYK;
    jpeg_destroy_decompress(&info);
    if (!read) {
        result.status = Status::NotAPicture;
        result.reason = kUnreadable;
        return result;
    }
    if (cmyk)
        cmykToRgba(rows.bytes);
    result.image = flattenRows(rows, request.underneath);
    result.status = result.image.isNull() ? Status::SurfaceTooLarge : Status::Ok;
    return result;
}

}  // namespace pelkora::decoders
