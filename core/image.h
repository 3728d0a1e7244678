#pragma once
// The one picture type below the front ends: 32-bit pixels 0xFFRRGGBB
// (blue in the low byte, the toolkit's RGB32 layout, so the grey formula and
// every blend read them as they always have), rows packed one after the
// other. Making one never throws: a size that overflows or memory that is
// short gives a null image, which the caller reports.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/status.h"

namespace pelkora {

using Pixel = std::uint32_t;

constexpr Pixel opaque(std::uint32_t rgb) { return 0xFF000000u | (rgb & 0xFFFFFFu); }

// What a picture of 32-bit pixels costs, in 64 bits, so that no header's
// numbers can overflow it. Sides must not be negative.
inline std::uint64_t rgb32Bytes(std::int64_t width, std::int64_t height)
{
    return std::uint64_t{4} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

// EmptySurface for a side of 0 or less, SurfaceTooLarge above the limit.
inline Status checkSurfaceSize(std::int64_t width, std::int64_t height, std::uint64_t limitBytes)
{
    if (width <= 0 || height <= 0)
        return Status::EmptySurface;
    return rgb32Bytes(width, height) > limitBytes ? Status::SurfaceTooLarge : Status::Ok;
}

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    int right() const { return left + width; }  // one past the last column
    int bottom() const { return top + height; }
    // The part both hold; empty when they do not meet.
    Rect intersected(const Rect& other) const;
    bool operator==(const Rect&) const = default;
};

// A rectangle of pixels somewhere in memory, top row first; the pixels stay
// their owner's.
template <typename P>
struct PixelRows {
    P* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // pixels from one row to the next

    P* row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};
using PixelView = PixelRows<const Pixel>;
using MutablePixelView = PixelRows<Pixel>;

class Image {
public:
    Image() = default;
    // Uninitialised pixels; null when a side is not positive or the pixels
    // cannot be had.
    Image(int width, int height);
    Image(Image&&) noexcept = default;
    Image& operator=(Image&&) noexcept = default;
    // Copies are explicit (copy()): a picture can be a great many bytes.
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    bool isNull() const { return !pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }
    Rect rect() const { return {0, 0, width_, height_}; }
    std::uint64_t sizeInBytes() const { return rgb32Bytes(width_, height_); }

    const Pixel* row(int y) const { return pixels_.get() + static_cast<std::ptrdiff_t>(y) * width_; }
    Pixel* row(int y) { return pixels_.get() + static_cast<std::ptrdiff_t>(y) * width_; }
    Pixel pixel(int x, int y) const { return row(y)[x]; }

    // The whole picture, or a rectangle that lies inside it.
    PixelView view() const { return view(rect()); }
    PixelView view(const Rect& inside) const;
    MutablePixelView mutableView(const Rect& inside);

    void fill(Pixel value);
    // A copy of the pixels; null when there is no memory for it.
    Image copy() const;

private:
    std::unique_ptr<Pixel[]> pixels_;
    int width_ = 0;
    int height_ = 0;
};

// source's pixels at (left, top) of target, only where they land on it.
void copyPixels(const PixelView& source, Image& target, int left, int top);

}  // namespace pelkora
