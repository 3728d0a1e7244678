#include "decoders/decoded_rows.h"

#include "decoders/still_decoder.h"

namespace pelkora::decoders {

namespace {

struct Argb {
    std::uint32_t a, r, g, b;
};

Argb samplesAt(const DecodedRows& rows, const std::uint8_t* p)
{
    switch (rows.layout) {
    case RowLayout::Index8: {
        const Pixel c = rows.table[*p];
        return {c >> 24, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF};
    }
    case RowLayout::Rgba8:
        return {p[3], p[0], p[1], p[2]};
    case RowLayout::Grey16: {
        const std::uint32_t grey = eightBits(std::uint32_t{p[0]} << 8 | p[1]);
        return {255, grey, grey, grey};
    }
    case RowLayout::Rgba16:
        break;
    }
    auto at = [p](int i) { return eightBits(std::uint32_t{p[2 * i]} << 8 | p[2 * i + 1]); };
    return {at(3), at(0), at(1), at(2)};
}

std::size_t pixelBytes(RowLayout layout)
{
    switch (layout) {
    case RowLayout::Index8:
        return 1;
    case RowLayout::Grey16:
        return 2;
    case RowLayout::Rgba8:
        return 4;
    case RowLayout::Rgba16:
        return 8;
    }
    return 4;
}

Pixel flattened(Argb c, bool hasAlpha, Pixel underneath)
{
    if (!hasAlpha)
        return opaque(c.r << 16 | c.g << 8 | c.b);
    const std::uint32_t r = blendChannel(c.r, (underneath >> 16) & 0xFF, c.a);
    const std::uint32_t g = blendChannel(c.g, (underneath >> 8) & 0xFF, c.a);
    const std::uint32_t b = blendChannel(c.b, underneath & 0xFF, c.a);
    return opaque(r << 16 | g << 8 | b);
}

}  // namespace

std::size_t DecodedRows::rowBytes() const { return static_cast<std::size_t>(width) * pixelBytes(layout); }

Image flattenRows(const DecodedRows& rows, Pixel underneath)
{
    Image out(rows.width, rows.height);
    if (out.isNull() || rows.bytes.size() < rows.rowBytes() * static_cast<std::size_t>(rows.height))
        return Image();
    const std::size_t step = pixelBytes(rows.layout);
    for (int y = 0; y < rows.height; ++y) {
        const std::uint8_t* from = rows.bytes.data() + static_cast<std::size_t>(y) * rows.rowBytes();
        Pixel* to = out.row(y);
        for (int x = 0; x < rows.width; ++x, from += step)
            to[x] = flattened(samplesAt(rows, from), rows.hasAlpha, underneath);
    }
    return out;
}

}  // namespace pelkora::decoders
