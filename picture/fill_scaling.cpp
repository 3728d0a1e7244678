// --fill: covering the screen and cropping the centre, in the same integer
// area averaging as --fit.
#include <algorithm>
#include <cstdint>

#include "picture/fit_scaling.h"

namespace pelkora::picture {

namespace {

// The centre of the picture with the screen's aspect, as large as the
// picture allows, when the picture is larger than the screen on both sides;
// else the centre the screen can hold, unscaled.
Rect coveredSource(output::Size picture, output::Size bounds)
{
    const std::int64_t w = picture.width;
    const std::int64_t h = picture.height;
    const std::int64_t bw = bounds.width;
    const std::int64_t bh = bounds.height;
    std::int64_t cw = std::min(w, bw);
    std::int64_t ch = std::min(h, bh);
    if (w > bw && h > bh) {
        // Rounded to nearest; the cropped side never passes the picture's,
        // nor drops below the screen's.
        cw = w * bh > h * bw ? std::clamp((2 * h * bw + bh) / (2 * bh), bw, w) : w;
        ch = w * bh > h * bw ? h : std::clamp((2 * w * bh + bw) / (2 * bw), bh, h);
    }
    return {static_cast<int>((w - cw) / 2), static_cast<int>((h - ch) / 2), static_cast<int>(cw), static_cast<int>(ch)};
}

}  // namespace

output::Size coveringSize(output::Size picture, output::Size bounds)
{
    const std::int64_t w = picture.width;
    const std::int64_t h = picture.height;
    const std::int64_t bw = bounds.width;
    const std::int64_t bh = bounds.height;
    if (w <= bw || h <= bh || bw <= 0 || bh <= 0)
        return picture;
    if (w * bh > h * bw)
        return {static_cast<int>(std::max(bw, (2 * w * bh + h) / (2 * h))), bounds.height};
    return {bounds.width, static_cast<int>(std::max(bh, (2 * h * bw + w) / (2 * w)))};
}

Captured fillBounds(const Image& picture, output::Size bounds, std::uint32_t fill)
{
    const output::Size size{picture.width(), picture.height()};
    if (size.width <= bounds.width && size.height <= bounds.height)
        return {picture.copy(), {}};
    const Rect source = coveredSource(size, bounds);
    const output::Size scaled{std::min(source.width, bounds.width), std::min(source.height, bounds.height)};
    Image inner = scaleDownByArea(picture.view(source), scaled);
    if (inner.isNull())
        return {};
    if (scaled == bounds)
        return {std::move(inner), {}};
    Image framed(bounds.width, bounds.height);
    if (framed.isNull())
        return {};
    framed.fill(opaque(fill));
    const Rect area{(bounds.width - scaled.width) / 2, (bounds.height - scaled.height) / 2, scaled.width,
                    scaled.height};
    copyPixels(inner.view(), framed, area.left, area.top);
    return {std::move(framed), area};
}

}  // namespace pelkora::picture
