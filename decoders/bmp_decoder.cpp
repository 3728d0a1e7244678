#include "decoders/bmp_decoder.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace pelkora::decoders {

namespace {

enum class Packing { Plain, BitFields, RunLength8, RunLength4 };

// One channel as its mask gives it. The value is scaled to 8 bits with
// rounding, so that the largest value of any width is 255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;  // 0: the file has no such channel

    std::uint32_t scaled(std::uint32_t pixel) const
    {
        const std::uint64_t value = (pixel & mask) >> shift;
        if (max == 255 || max == 0)
            return static_cast<std::uint32_t>(value);
        return static_cast<std::uint32_t>((value * 510 + max) / (2 * max));
    }
};

// Nothing for a mask whose bits are not one run: no two decoders agree on
// what such a mask means.
std::optional<Channel> channelOf(std::uint32_t mask)
{
    Channel channel;
    if (mask == 0)
        return channel;
    channel.mask = mask;
    channel.shift = std::countr_zero(mask);
    const std::uint64_t bits = mask >> channel.shift;
    if ((bits & (bits + 1)) != 0)
        return std::nullopt;
    channel.max = bits;
    return channel;
}

struct Layout {
    std::int64_t width = 0;
    std::int64_t rows = 0;
    bool topDown = false;
    unsigned bits = 0;
    Packing packing = Packing::Plain;
    std::array<Channel, 3> colour;  // red, green, blue
    Channel alpha;
    bool hasAlpha = false;
    std::array<Pixel, 256> palette{};
    std::size_t pixelsAt = 0;
};

class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t size() const { return size_; }
    const std::uint8_t* at(std::size_t offset) const { return data_ + offset; }
    // Callers check the size first; these read within it.
    std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(data_[at] | data_[at + 1] << 8); }
    std::uint32_t u32(std::size_t at) const { return u16(at) | std::uint32_t{u16(at + 2)} << 16; }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

constexpr std::size_t kFileHeader = 14;
constexpr Pixel kOpaqueBlack = 0xFF000000;

// The masks of a bit-field bitmap, or of the plain 16 and 32 bit forms.
// Nothing for masks that overlap or do not fit the pixel.
bool readMasks(const std::array<std::uint32_t, 4>& masks, Layout& layout)
{
    std::uint32_t seen = 0;
    for (std::size_t i = 0; i < masks.size(); ++i) {
        const auto channel = channelOf(masks[i]);
        if (!channel || (masks[i] & seen) != 0 || (layout.bits == 16 && masks[i] > 0xFFFF))
            return false;
        seen |= masks[i];
        if (i < 3)
            layout.colour[i] = *channel;
        else
            layout.alpha = *channel;
    }
    layout.hasAlpha = masks[3] != 0;
    return (masks[0] | masks[1] | masks[2]) != 0;
}

// What the header says, checked against the file; nothing for a form left to
// the toolkit.
std::optional<Layout> readLayout(const Bytes& bytes, std::uint64_t surfaceBytes)
{
    if (bytes.size() < kFileHeader + 4 || *bytes.at(0) != 'B' || *bytes.at(1) != 'M')
        return std::nullopt;
    const std::uint32_t header = bytes.u32(kFileHeader);
    if (!IsBmpInfoHeaderSize(header) || bytes.size() < kFileHeader + header)
        return std::nullopt;
    Layout layout;
    std::int64_t height = 0;
    std::uint32_t planes = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteEntry = 4;
    if (header == 12) {
        layout.width = bytes.u16(18);
        height = bytes.u16(20);
        planes = bytes.u16(22);
        layout.bits = bytes.u16(24);
        paletteEntry = 3;
        // The toolkit's reading of the high half is its own; the early form
        // has palettes or three bytes a pixel.
        if (layout.width >= 0x8000 || height >= 0x8000 || layout.bits == 16 || layout.bits == 32)
            return std::nullopt;
    } else {
        layout.width = bytes.i32(18);
        height = bytes.i32(22);
        planes = bytes.u16(26);
        layout.bits = bytes.u16(28);
        if (header >= 40) {
            compression = bytes.u32(30);
            coloursUsed = bytes.u32(46);
        }
    }
    layout.topDown = height < 0;
    layout.rows = height < 0 ? -height : height;
    if (planes != 1 || layout.width <= 0 || layout.rows == 0 || layout.rows > std::numeric_limits<int>::max()
        || checkSurfaceSize(layout.width, layout.rows, surfaceBytes) != Status::Ok)
        return std::nullopt;

    std::size_t tableAt = kFileHeader + header;  // where masks or the palette begin
    std::array<std::uint32_t, 4> masks{};
    const bool os2 = header == 16 || header == 64;  // compressions 3 and 4 mean other things there
    const bool alphaField = header == 56 || header == 108 || header == 124;
    switch (compression) {
    case 0:
        if (layout.bits == 16) {
            masks = {0x7C00, 0x03E0, 0x001F, 0};
        } else if (layout.bits == 32) {
            masks = {0xFF0000, 0xFF00, 0xFF, 0};
            // The toolkit honours an alpha channel here only in the top byte.
            const std::uint32_t alphaMask = alphaField ? bytes.u32(66) : 0;
            if (alphaMask != 0 && alphaMask != 0xFF000000)
                return std::nullopt;
            masks[3] = alphaMask;
        } else if (layout.bits != 1 && layout.bits != 2 && layout.bits != 4 && layout.bits != 8 && layout.bits != 24) {
            return std::nullopt;
        }
        layout.packing = Packing::Plain;
        break;
    case 1:
    case 2:
        // Run-length rows go bottom-up only; the toolkit refuses the rest.
        if (layout.bits != (compression == 1 ? 8u : 4u) || layout.topDown)
            return std::nullopt;
        layout.packing = compression == 1 ? Packing::RunLength8 : Packing::RunLength4;
        break;
    case 3:
    case 6: {
        if (os2 || header == 12 || (layout.bits != 16 && layout.bits != 32) || (compression == 6 && header == 52))
            return std::nullopt;
        const std::size_t count = compression == 3 && !alphaField ? 3 : 4;
        if (header == 40) {
            if (bytes.size() < tableAt + 4 * count)
                return std::nullopt;
            tableAt += 4 * count;
        }
        for (std::size_t i = 0; i < count; ++i)
            masks[i] = bytes.u32(kFileHeader + 40 + 4 * i);
        layout.packing = Packing::BitFields;
        break;
    }
    default:
        return std::nullopt;
    }
    if ((layout.bits == 16 || layout.bits == 32) && !readMasks(masks, layout))
        return std::nullopt;

    std::size_t tableEnd = tableAt;
    if (layout.bits <= 8) {
        const std::uint32_t most = 1u << layout.bits;
        const std::uint32_t count = coloursUsed == 0 ? most : coloursUsed;
        if (count > most || bytes.size() < tableAt + count * paletteEntry)
            return std::nullopt;
        layout.palette.fill(kOpaqueBlack);  // indices past a short palette
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* entry = bytes.at(tableAt + i * paletteEntry);
            layout.palette[i] = kOpaqueBlack | std::uint32_t{entry[2]} << 16 | std::uint32_t{entry[1]} << 8 | entry[0];
        }
        // The toolkit's two-colour picture shows a missing second colour white.
        if (layout.bits == 1 && count == 1)
            layout.palette[1] = 0xFFFFFFFF;
        tableEnd = tableAt + count * paletteEntry;
    }
    layout.pixelsAt = bytes.u32(10);
    if (layout.pixelsAt < tableEnd || layout.pixelsAt > bytes.size())
        return std::nullopt;
    return layout;
}

std::uint32_t pixelAt(const std::uint8_t* from, unsigned bits)
{
    if (bits == 16)
        return static_cast<std::uint32_t>(from[0] | from[1] << 8);
    return std::uint32_t{from[0]} | std::uint32_t{from[1]} << 8 | std::uint32_t{from[2]} << 16
           | std::uint32_t{from[3]} << 24;
}

void maskedRow(const std::uint8_t* from, Pixel* to, const Layout& layout, Pixel underneath)
{
    const std::size_t step = layout.bits / 8;
    const auto& [red, green, blue] = layout.colour;
    for (std::int64_t x = 0; x < layout.width; ++x, from += step) {
        const std::uint32_t pixel = pixelAt(from, layout.bits);
        std::uint32_t r = red.scaled(pixel);
        std::uint32_t g = green.scaled(pixel);
        std::uint32_t b = blue.scaled(pixel);
        if (layout.hasAlpha) {
            const std::uint32_t a = layout.alpha.scaled(pixel);
            r = blendChannel(r, underneath >> 16 & 0xFF, a);
            g = blendChannel(g, underneath >> 8 & 0xFF, a);
            b = blendChannel(b, underneath & 0xFF, a);
        }
        to[x] = kOpaqueBlack | r << 16 | g << 8 | b;
    }
}

void indexedRow(const std::uint8_t* from, Pixel* to, const Layout& layout)
{
    const auto& palette = layout.palette;
    if (layout.bits == 8) {
        for (std::int64_t x = 0; x < layout.width; ++x)
            to[x] = palette[from[x]];
        return;
    }
    const unsigned bits = layout.bits;
    const unsigned mask = (1u << bits) - 1;
    for (std::int64_t x = 0; x < layout.width; ++x) {
        const std::uint64_t bit = static_cast<std::uint64_t>(x) * bits;
        const unsigned index = (from[bit / 8] >> (8 - bits - bit % 8)) & mask;
        to[x] = palette[index];
    }
}

// Four pixels from three little-endian words where the row has them.
void rgbRow(const std::uint8_t* from, Pixel* to, std::int64_t width)
{
    std::int64_t x = 0;
    for (; std::endian::native == std::endian::little && x + 4 <= width; x += 4, from += 12) {
        std::uint32_t w[3];
        std::memcpy(w, from, sizeof w);
        to[x] = kOpaqueBlack | w[0];
        to[x + 1] = kOpaqueBlack | w[0] >> 24 | w[1] << 8;
        to[x + 2] = kOpaqueBlack | w[1] >> 16 | w[2] << 16;
        to[x + 3] = kOpaqueBlack | w[2] >> 8;
    }
    for (; x < width; ++x, from += 3)
        to[x] = kOpaqueBlack | std::uint32_t{from[2]} << 16 | std::uint32_t{from[1]} << 8 | from[0];
}

void plainRows(const Bytes& bytes, const Layout& layout, Pixel underneath, Image& image)
{
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(layout.width) * layout.bits + 31) / 32 * 4;
    for (std::int64_t row = 0; row < layout.rows; ++row) {
        const std::uint8_t* from = bytes.at(layout.pixelsAt + static_cast<std::size_t>(row) * rowBytes);
        const auto y = static_cast<int>(layout.topDown ? row : layout.rows - 1 - row);
        Pixel* to = image.row(y);
        if (layout.bits == 24) {
            rgbRow(from, to, layout.width);
        } else if (layout.bits >= 16) {
            maskedRow(from, to, layout, underneath);
        } else {
            indexedRow(from, to, layout);
        }
    }
}

bool holdsEveryRow(const Bytes& bytes, const Layout& layout)
{
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(layout.width) * layout.bits + 31) / 32 * 4;
    // Divided rather than multiplied: the header's numbers can be anything.
    return rowBytes <= (bytes.size() - layout.pixelsAt) / static_cast<std::uint64_t>(layout.rows);
}

// The run-length codes drawn over the first palette colour. False for a
// stream this reader leaves to the toolkit: a run past its row, a move off
// the picture, a code cut short. A stream that simply stops leaves the rest
// in the first colour.
bool runLengthRows(const Bytes& bytes, const Layout& layout, Image& image)
{
    image.fill(layout.palette[0]);
    const bool eight = layout.packing == Packing::RunLength8;
    std::size_t at = layout.pixelsAt;
    std::int64_t x = 0;
    std::int64_t y = 0;  // in the file's row order
    auto rowOf = [&](std::int64_t fileRow) {
        const auto line = static_cast<int>(layout.rows - 1 - fileRow);
        return image.row(line) + x;
    };
    while (at < bytes.size()) {
        if (bytes.size() - at < 2)
            return false;
        const unsigned count = *bytes.at(at);
        const unsigned value = *bytes.at(at + 1);
        at += 2;
        if (count > 0) {
            if (y >= layout.rows || x + count > layout.width)
                return false;
            Pixel* to = rowOf(y);
            for (unsigned i = 0; i < count; ++i)
                to[i] = layout.palette[eight ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F)];
            x += count;
        } else if (value == 0) {  // end of line
            x = 0;
            if (++y > layout.rows)
                return false;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // move right and up
            if (bytes.size() - at < 2)
                return false;
            x += *bytes.at(at);
            y += *bytes.at(at + 1);
            at += 2;
            if (x >= layout.width || y >= layout.rows)
                return false;
        } else {  // that many pixels as they stand, padded to a whole word
            const std::size_t length = eight ? value : (value + 1) / 2;
            const std::size_t padded = length + (length & 1);
            if (bytes.size() - at < padded || y >= layout.rows || x + value > layout.width)
                return false;
            const std::uint8_t* from = bytes.at(at);
            Pixel* to = rowOf(y);
            for (unsigned i = 0; i < value; ++i)
                to[i] = layout.palette[eight ? from[i] : (i % 2 == 0 ? from[i / 2] >> 4 : from[i / 2] & 0x0F)];
            x += value;
            at += padded;
        }
    }
    return true;
}

}  // namespace

bool IsBmpInfoHeaderSize(std::uint32_t size)
{
    switch (size) {
    case 12:
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

std::optional<DecodedStill> DecodeBmp(const std::uint8_t* data, std::size_t size, const StillRequest& request)
{
    if (data == nullptr)
        return std::nullopt;
    const Bytes bytes(data, size);
    const auto layout = readLayout(bytes, request.surfaceBytes);
    if (!layout)
        return std::nullopt;
    const bool runLength = layout->packing == Packing::RunLength8 || layout->packing == Packing::RunLength4;
    if (!runLength && !holdsEveryRow(bytes, *layout))
        return std::nullopt;
    DecodedStill result;
    Image image(static_cast<int>(layout->width), static_cast<int>(layout->rows));
    if (image.isNull()) {
        result.status = Status::SurfaceTooLarge;
        return result;
    }
    if (runLength) {
        if (!runLengthRows(bytes, *layout, image))
            return std::nullopt;
    } else {
        plainRows(bytes, *layout, request.underneath, image);
    }
    result.status = Status::Ok;
    result.image = std::move(image);
    return result;
}

}  // namespace pelkora::decoders
