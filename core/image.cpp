#include "core/image.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace pelkora {

Rect Rect::intersected(const Rect& other) const
{
    const int l = std::max(left, other.left);
    const int t = std::max(top, other.top);
    const int r = std::min(right(), other.right());
    const int b = std::min(bottom(), other.bottom());
    if (l >= r || t >= b)
        return {l, t, 0, 0};
    return {l, t, r - l, b - t};
}

Image::Image(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    // Rows are addressed with ptrdiff_t, so the whole must fit one.
    constexpr auto most = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());
    if (rgb32Bytes(width, height) > most)
        return;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    pixels_.reset(new (std::nothrow) Pixel[count]);
    if (pixels_) {
        width_ = width;
        height_ = height;
    }
}

PixelView Image::view(const Rect& inside) const
{
    return {row(inside.top) + inside.left, inside.width, inside.height, width_};
}

MutablePixelView Image::mutableView(const Rect& inside)
{
    return {row(inside.top) + inside.left, inside.width, inside.height, width_};
}

void Image::fill(Pixel value) { std::fill_n(pixels_.get(), static_cast<std::size_t>(width_) * height_, value); }

Image Image::copy() const
{
    Image out(width_, height_);
    if (!out.isNull())
        std::memcpy(out.pixels_.get(), pixels_.get(), static_cast<std::size_t>(sizeInBytes()));
    return out;
}

void copyPixels(const PixelView& source, Image& target, int left, int top)
{
    const Rect inside = Rect{left, top, source.width, source.height}.intersected(target.rect());
    if (inside.empty())
        return;
    const auto rowBytes = static_cast<std::size_t>(inside.width) * sizeof(Pixel);
    for (int y = inside.top; y < inside.bottom(); ++y)
        std::memcpy(target.row(y) + inside.left, source.row(y - top) + (inside.left - left), rowBytes);
}

}  // namespace pelkora
