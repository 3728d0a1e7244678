#include "decoders/png_decoder.h"

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include <png.h>

#include "decoders/decoded_rows.h"

namespace pelkora::decoders {

namespace {

constexpr const char* kUnreadable = "Unable to read image data";

// What libpng's callbacks reach: the bytes, read once front to back, and
// what it said.
struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::vector<std::string> messages;
};

PngSource& sourceOf(png_structp png) { return *static_cast<PngSource*>(png_get_error_ptr(png)); }

void readBytes(png_structp png, png_bytep to, png_size_t length)
{
    PngSource& source = *static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source.size - source.at)
        png_error(png, "Read Error");
    std::memcpy(to, source.data + source.at, length);
    source.at += length;
}

void onError(png_structp png, png_const_charp message)
{
    sourceOf(png).messages.push_back(std::string("libpng error: ") + (message ? message : "undefined"));
    png_longjmp(png, 1);
}

void onWarning(png_structp png, png_const_charp message)
{
    sourceOf(png).messages.push_back(std::string("libpng warning: ") + (message ? message : "undefined"));
}

// Grey of 1 to 8 bits, or a palette: one byte a pixel into a table. An index
// past a palette shows its first colour; past a two-colour palette's one
// colour, white.
void indexedLayout(png_structp png, png_infop info, DecodedRows& rows)
{
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    png_bytep transAlpha = nullptr;
    int transCount = 0;
    png_color_16p transColour = nullptr;
    const bool trns = png_get_tRNS(png, info, &transAlpha, &transCount, &transColour) != 0;
    std::array<Pixel, 256> table{};
    std::size_t count = 0;
    if (type == PNG_COLOR_TYPE_GRAY) {
        count = std::size_t{1} << depth;
        for (std::size_t i = 0; i < count; ++i) {
            const auto grey = static_cast<std::uint32_t>(i * 255 / (count - 1));
            table[i] = opaque(grey << 16 | grey << 8 | grey);
        }
        if (trns && transColour != nullptr && transColour->gray < count)
            table[transColour->gray] = 0;
    } else {
        png_colorp palette = nullptr;
        int entries = 0;
        png_get_PLTE(png, info, &palette, &entries);
        count = static_cast<std::size_t>(entries);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t alpha = trns && transAlpha != nullptr && i < static_cast<std::size_t>(transCount)
                                                ? transAlpha[i]
                                                : 255;
            table[i] = alpha << 24 | std::uint32_t{palette[i].red} << 16 | std::uint32_t{palette[i].green} << 8
                       | palette[i].blue;
        }
    }
    rows.layout = RowLayout::Index8;
    for (std::size_t i = 0; i < count; ++i)
        rows.hasAlpha = rows.hasAlpha || table[i] >> 24 != 255;
    const Pixel past = depth == 1 ? opaque(0xFFFFFF) : table[0];
    for (std::size_t i = count; i < table.size(); ++i)
        table[i] = past;
    rows.table = table;
    if (depth < 8)
        png_set_packing(png);
}

// The transformations that bring every colour type and depth to one of the
// row layouts, chosen as they always were.
void chooseLayout(png_structp png, png_infop info, DecodedRows& rows)
{
    const int depth = png_get_bit_depth(png, info);
    const int type = png_get_color_type(png, info);
    const bool trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (type == PNG_COLOR_TYPE_PALETTE || (type == PNG_COLOR_TYPE_GRAY && depth <= 8)) {
        indexedLayout(png, info, rows);
    } else if (type == PNG_COLOR_TYPE_GRAY && trns) {
        // 16-bit grey with a transparent value: the value is matched at 16
        // bits, then each sample keeps its high byte.
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        rows.layout = RowLayout::Rgba8;
        rows.hasAlpha = true;
    } else if (type == PNG_COLOR_TYPE_GRAY) {
        rows.layout = RowLayout::Grey16;
    } else if (depth == 16) {
        rows.hasAlpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || trns;
        if (trns)
            png_set_tRNS_to_alpha(png);
        else if (!rows.hasAlpha)
            png_set_filler(png, 0xFFFF, PNG_FILLER_AFTER);
        if ((type & PNG_COLOR_MASK_COLOR) == 0)
            png_set_gray_to_rgb(png);
        rows.layout = RowLayout::Rgba16;
    } else {
        png_set_expand(png);
        if (type == PNG_COLOR_TYPE_GRAY_ALPHA)
            png_set_gray_to_rgb(png);
        rows.hasAlpha = (type & PNG_COLOR_MASK_ALPHA) != 0 || trns;
        if (!rows.hasAlpha)
            png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        rows.layout = RowLayout::Rgba8;
    }
}

// Everything libpng may jump out of, with no object of ours made in
// between: what it builds lives in rows and result, owned by the caller.
bool readRows(png_structp png, png_infop info, const StillRequest& request, DecodedRows& rows,
              std::vector<png_bytep>& pointers, DecodedStill& result)
{
    if (setjmp(png_jmpbuf(png)) != 0)
        return false;
    png_set_read_fn(png, png_get_error_ptr(png), readBytes);
#if defined(PNG_SET_OPTION_SUPPORTED) && defined(PNG_MAXIMUM_INFLATE_WINDOW)
    // Some writers got the window size wrong; the whole window reads them.
    png_set_option(png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
    png_read_info(png, info);
    rows.width = static_cast<int>(png_get_image_width(png, info));
    rows.height = static_cast<int>(png_get_image_height(png, info));
    result.status = checkSurfaceSize(rows.width, rows.height, request.surfaceBytes);
    if (result.status != Status::Ok)
        return true;
    png_set_interlace_handling(png);
    chooseLayout(png, info, rows);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != rows.rowBytes())
        png_error(png, "unexpected row layout");
    rows.bytes.resize(rows.rowBytes() * static_cast<std::size_t>(rows.height));
    pointers.resize(static_cast<std::size_t>(rows.height));
    for (std::size_t y = 0; y < pointers.size(); ++y)
        pointers[y] = rows.bytes.data() + y * rows.rowBytes();
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

DecodedStill DecodePng(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    PngSource source{data, size, 0, {}};
    DecodedStill result;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        result.reason = kUnreadable;
        return result;
    }
    DecodedRows rows;
    std::vector<png_bytep> pointers;
    const bool read = readRows(png, info, request, rows, pointers, result);
    png_destroy_read_struct(&png, &info, nullptr);
    result.messages = std::move(source.messages);
    if (!read) {
        result.status = Status::NotAPicture;
        result.reason = kUnreadable;
        return result;
    }
    if (result.status != Status::Ok)
        return result;
    result.image = flattenRows(rows, request.underneath);
    if (result.image.isNull())
        result.status = Status::SurfaceTooLarge;
    return result;
}

}  // namespace pelkora::decoders
