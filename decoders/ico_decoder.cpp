#include "decoders/ico_decoder.h"

#include <algorithm>
#include <cstring>

#include "decoders/decoded_rows.h"
#include "decoders/png_decoder.h"

namespace pelkora::decoders {

namespace {

constexpr std::size_t kDirectory = 6;
constexpr std::size_t kEntry = 16;
constexpr std::size_t kInfoHeader = 40;

std::uint32_t u32At(const std::uint8_t* data, std::size_t at)
{
    return std::uint32_t{data[at]} | std::uint32_t{data[at + 1]} << 8 | std::uint32_t{data[at + 2]} << 16
           | std::uint32_t{data[at + 3]} << 24;
}

std::uint32_t u16At(const std::uint8_t* data, std::size_t at)
{
    return static_cast<std::uint32_t>(data[at] | data[at + 1] << 8);
}

// A bitmap icon as its header tells it, checked against its bytes.
struct IconBitmap {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    int width = 0;
    int height = 0;
    unsigned bits = 0;
    std::size_t colours = 0;  // palette entries
    std::size_t paletteAt = 0;
    std::size_t pixelsAt = 0;
    std::size_t maskAt = 0;

    std::size_t rowBytes() const { return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4; }
    std::size_t maskRowBytes() const { return (static_cast<std::size_t>(width) + 31) / 32 * 4; }
};

bool readBitmapHeader(const std::uint8_t* bytes, std::size_t size, IconBitmap& icon)
{
    if (size < kInfoHeader || u32At(bytes, 0) < kInfoHeader || u32At(bytes, 16) != 0)
        return false;
    icon.bytes = bytes;
    icon.size = size;
    const auto width = static_cast<std::int32_t>(u32At(bytes, 4));
    const auto doubled = static_cast<std::int32_t>(u32At(bytes, 8));
    icon.bits = u16At(bytes, 14);
    if (width <= 0 || width > 256 || doubled <= 0 || doubled / 2 > 256 || doubled / 2 == 0)
        return false;
    if (icon.bits != 1 && icon.bits != 4 && icon.bits != 8 && icon.bits != 24 && icon.bits != 32)
        return false;
    icon.width = width;
    icon.height = doubled / 2;
    const std::uint32_t used = u32At(bytes, 32);
    icon.colours = icon.bits > 8 ? 0 : (used != 0 ? used : 1u << icon.bits);
    if (icon.colours > (icon.bits > 8 ? 0u : 1u << icon.bits))
        return false;
    icon.paletteAt = u32At(bytes, 0);
    icon.pixelsAt = icon.paletteAt + 4 * icon.colours;
    icon.maskAt = icon.pixelsAt + icon.rowBytes() * static_cast<std::size_t>(icon.height);
    return icon.paletteAt <= size && icon.maskAt + icon.maskRowBytes() * static_cast<std::size_t>(icon.height) <= size;
}

// The colour of one pixel of the picture's rows, alpha as stored.
Pixel storedColour(const IconBitmap& icon, const std::uint8_t* row, int x)
{
    if (icon.bits == 24 || icon.bits == 32) {
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * (icon.bits / 8);
        const std::uint32_t alpha = icon.bits == 32 ? p[3] : 255;
        return alpha << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    }
    const std::size_t bit = static_cast<std::size_t>(x) * icon.bits;
    const unsigned index = (row[bit / 8] >> (8 - icon.bits - bit % 8)) & ((1u << icon.bits) - 1);
    if (index >= icon.colours)
        return opaque(0);
    const std::uint8_t* entry = icon.bytes + icon.paletteAt + 4 * index;
    return opaque(std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 | entry[0]);
}

// An icon's colour as it comes back from being held premultiplied by its
// alpha, as icons with an alpha channel always were. The way back rounds as
// the scalar formula does; where a vector unit did it before, a colour whose
// quotient falls on a half may come out one step apart.
std::uint8_t throughPremultiplied(std::uint32_t colour, std::uint32_t alpha)
{
    if (alpha == 0)
        return 0;
    std::uint32_t t = colour * alpha;
    t = (t + (t >> 8) + 0x80) >> 8;
    return static_cast<std::uint8_t>(std::min<std::uint32_t>((t * (0xFF00FFu / alpha) + 0x8000) >> 16, 255));
}

// An icon's transparency: the alpha of 32-bit pixels where any pixel has
// some, the one-bit mask otherwise .
DecodedRows bitmapRows(const IconBitmap& icon)
{
    DecodedRows rows;
    rows.layout = RowLayout::Rgba8;
    rows.width = icon.width;
    rows.height = icon.height;
    rows.hasAlpha = true;
    rows.bytes.resize(rows.rowBytes() * static_cast<std::size_t>(icon.height));
    bool anyAlpha = false;
    for (int y = 0; y < icon.height; ++y) {
        const std::size_t stored = static_cast<std::size_t>(icon.height - 1 - y);
        const std::uint8_t* row = icon.bytes + icon.pixelsAt + stored * icon.rowBytes();
        std::uint8_t* to = rows.bytes.data() + static_cast<std::size_t>(y) * rows.rowBytes();
        for (int x = 0; x < icon.width; ++x, to += 4) {
            const Pixel c = storedColour(icon, row, x);
            to[0] = static_cast<std::uint8_t>(c >> 16);
            to[1] = static_cast<std::uint8_t>(c >> 8);
            to[2] = static_cast<std::uint8_t>(c);
            to[3] = static_cast<std::uint8_t>(c >> 24);
            anyAlpha = anyAlpha || (icon.bits == 32 && to[3] != 0);
        }
    }
    if (anyAlpha) {
        for (std::size_t at = 0; at + 4 <= rows.bytes.size(); at += 4)
            for (std::size_t c = 0; c < 3; ++c)
                rows.bytes[at + c] = throughPremultiplied(rows.bytes[at + c], rows.bytes[at + 3]);
        return rows;
    }
    for (int y = 0; y < icon.height; ++y) {
        const std::size_t stored = static_cast<std::size_t>(icon.height - 1 - y);
        const std::uint8_t* mask = icon.bytes + icon.maskAt + stored * icon.maskRowBytes();
        std::uint8_t* to = rows.bytes.data() + static_cast<std::size_t>(y) * rows.rowBytes();
        for (int x = 0; x < icon.width; ++x, to += 4) {
            const bool hidden = (mask[x / 8] >> (7 - x % 8) & 1) != 0;
            to[3] = hidden ? 0 : 255;
        }
    }
    return rows;
}

}  // namespace

DecodedStill DecodeIco(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    DecodedStill result;
    result.reason = "Unable to read image data";
    if (size < kDirectory + kEntry || u16At(data, 4) == 0)
        return result;
    const std::size_t length = u32At(data, kDirectory + 8);
    const std::size_t offset = u32At(data, kDirectory + 12);
    if (offset >= size)
        return result;
    const std::uint8_t* image = data + offset;
    const std::size_t available = std::min(size - offset, length);
    if (available >= 8 && std::memcmp(image, "\x89PNG\r\n\x1a\n", 8) == 0)
        return DecodePng(image, available, request);
    IconBitmap icon;
    if (!readBitmapHeader(image, size - offset, icon))
        return result;
    result.status = checkSurfaceSize(icon.width, icon.height, request.surfaceBytes);
    if (result.status != Status::Ok)
        return result;
    result.reason.clear();
    result.image = flattenRows(bitmapRows(icon), request.underneath);
    result.status = result.image.isNull() ? Status::SurfaceTooLarge : Status::Ok;
    return result;
}

}  // namespace pelkora::decoders
