#include "picture/fit_scaling.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pelkora::picture {

namespace {

// One source pixel's share in one target pixel along an axis. Along it the
// source is `from` pixels of `to` units each and the target `to` pixels of
// `from` units each, so both span from x to units and every share is a whole
// number; a target pixel's shares add up to `from`.
struct Share {
    int source;
    std::uint64_t weight;
};

std::vector<std::vector<Share>> sharesAlong(int from, int to)
{
    std::vector<std::vector<Share>> shares(static_cast<std::size_t>(to));
    const auto sourceUnit = static_cast<std::int64_t>(to);
    const auto targetUnit = static_cast<std::int64_t>(from);
    for (int j = 0; j < to; ++j) {
        const std::int64_t begin = j * targetUnit;
        const std::int64_t end = begin + targetUnit;
        for (std::int64_t i = begin / sourceUnit; i * sourceUnit < end; ++i) {
            const std::int64_t overlap = std::min(end, (i + 1) * sourceUnit) - std::max(begin, i * sourceUnit);
            if (overlap > 0)
                shares[static_cast<std::size_t>(j)].push_back(
                        {static_cast<int>(i), static_cast<std::uint64_t>(overlap)});
        }
    }
    return shares;
}

std::uint64_t channel(Pixel pixel, int c) { return (pixel >> (8 * c)) & 0xFF; }

}  // namespace

output::Size fittedSize(output::Size picture, output::Size bounds)
{
    const std::int64_t w = picture.width;
    const std::int64_t h = picture.height;
    const std::int64_t bw = bounds.width;
    const std::int64_t bh = bounds.height;
    if (w <= 0 || h <= 0 || bw <= 0 || bh <= 0 || (w <= bw && h <= bh))
        return picture;
    // Rounded to nearest; the scaled side can never pass its bound, as the
    // exact quotient does not.
    if (w * bh <= h * bw)
        return {static_cast<int>(std::max<std::int64_t>(1, (2 * w * bh + h) / (2 * h))), bounds.height};
    return {bounds.width, static_cast<int>(std::max<std::int64_t>(1, (2 * h * bw + w) / (2 * w)))};
}

Image scaleDownByArea(const Image& source, output::Size target)
{
    if (source.isNull())
        return {};
    if (target.width == source.width() && target.height == source.height())
        return source.copy();
    return scaleDownByArea(source.view(), target);
}

Image scaleDownByArea(const PixelView& source, output::Size target)
{
    const int sw = source.width;
    const int sh = source.height;
    const int tw = target.width;
    const int th = target.height;
    if (source.pixels == nullptr || tw <= 0 || th <= 0 || tw > sw || th > sh)
        return {};
    if (tw == sw && th == sh) {
        Image copied(tw, th);
        if (!copied.isNull())
            copyPixels(source, copied, 0, 0);
        return copied;
    }
    Image result(tw, th);
    if (result.isNull())
        return {};
    const auto columns = sharesAlong(sw, tw);
    const auto rows = sharesAlong(sh, th);
    const std::uint64_t total = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);

    // Rows one at a time: first across, then into the target row it feeds.
    std::vector<std::uint64_t> across(static_cast<std::size_t>(tw) * 3);
    std::vector<std::uint64_t> sum(static_cast<std::size_t>(tw) * 3);
    for (int k = 0; k < th; ++k) {
        std::fill(sum.begin(), sum.end(), 0);
        for (const Share& row : rows[static_cast<std::size_t>(k)]) {
            const Pixel* line = source.row(row.source);
            for (int j = 0; j < tw; ++j) {
                for (int c = 0; c < 3; ++c) {
                    std::uint64_t value = 0;
                    for (const Share& column : columns[static_cast<std::size_t>(j)])
                        value += column.weight * channel(line[column.source], c);
                    across[static_cast<std::size_t>(j) * 3 + static_cast<std::size_t>(c)] = value;
                }
            }
            for (std::size_t n = 0; n < sum.size(); ++n)
                sum[n] += row.weight * across[n];
        }
        Pixel* out = result.row(k);
        for (int j = 0; j < tw; ++j) {
            Pixel pixel = 0xFF000000;
            for (int c = 0; c < 3; ++c) {
                const std::uint64_t value =
                        (sum[static_cast<std::size_t>(j) * 3 + static_cast<std::size_t>(c)] + total / 2) / total;
                pixel |= static_cast<Pixel>(std::min<std::uint64_t>(value, 255)) << (8 * c);
            }
            out[j] = pixel;
        }
    }
    return result;
}

Image fitIntoBounds(const Image& picture, output::Size bounds, std::uint32_t fill)
{
    return fitIntoBounds(picture, {picture.width(), picture.height()}, bounds, fill);
}

Image fitIntoBounds(const Image& picture, output::Size fullSize, output::Size bounds, std::uint32_t fill)
{
    const output::Size scaled = fittedSize(fullSize, bounds);
    if (scaled == fullSize)
        return picture.copy();
    const Image inner = scaleDownByArea(picture, scaled);
    Image framed(bounds.width, bounds.height);
    if (inner.isNull() || framed.isNull())
        return {};
    framed.fill(opaque(fill));
    const Rect area = letterboxArea(fullSize, bounds);
    copyPixels(inner.view(), framed, area.left, area.top);
    return framed;
}

Rect letterboxArea(output::Size picture, output::Size bounds)
{
    const output::Size scaled = fittedSize(picture, bounds);
    return {(bounds.width - scaled.width) / 2, (bounds.height - scaled.height) / 2, scaled.width, scaled.height};
}

}  // namespace pelkora::picture
