#include "sheet/canvas.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pelkora::sheet {

namespace {

struct Segment {
    int x0, y0, x1, y1;
};

// Whether pixel (x, y)'s centre lies within one pixel of the segment, beside
// it and not beyond its ends: a two-pixel stroke. In doubled coordinates,
// so that the centre is whole and the test exact.
bool onStroke(int x, int y, const Segment& line)
{
    const std::int64_t vx = line.x1 - line.x0;
    const std::int64_t vy = line.y1 - line.y0;
    const std::int64_t qx = 2 * std::int64_t{x} + 1 - 2 * std::int64_t{line.x0};
    const std::int64_t qy = 2 * std::int64_t{y} + 1 - 2 * std::int64_t{line.y0};
    const std::int64_t across = qx * vy - qy * vx;
    const std::int64_t along = qx * vx + qy * vy;
    const std::int64_t lengthSquared = vx * vx + vy * vy;
    return across * across <= 4 * lengthSquared && along >= 0 && along <= 2 * lengthSquared;
}

// What one target column (or row) takes of each source one it covers: in
// units where a target pixel is sourceCount long and a source pixel count
// long, so that every overlap is a whole number and they sum to sourceCount.
struct Cover {
    int first = 0;
    std::vector<std::int64_t> weights;
};

Cover coverOf(int i, int count, int sourceCount)
{
    const std::int64_t begin = std::int64_t{i} * sourceCount;
    const std::int64_t end = begin + sourceCount;
    Cover cover;
    cover.first = static_cast<int>(begin / count);
    for (std::int64_t s = cover.first; s * count < end; ++s)
        cover.weights.push_back(std::min(end, (s + 1) * count) - std::max(begin, s * count));
    return cover;
}

std::vector<Cover> coversOf(int count, int sourceCount)
{
    std::vector<Cover> covers;
    covers.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        covers.push_back(coverOf(i, count, sourceCount));
    return covers;
}

Pixel averageOf(const Image& image, const Cover& columns, const Cover& rows, std::int64_t total)
{
    std::int64_t red = 0, green = 0, blue = 0;
    for (std::size_t dy = 0; dy < rows.weights.size(); ++dy) {
        const Pixel* row = image.row(rows.first + static_cast<int>(dy)) + columns.first;
        for (std::size_t dx = 0; dx < columns.weights.size(); ++dx) {
            const std::int64_t weight = rows.weights[dy] * columns.weights[dx];
            red += weight * ((row[dx] >> 16) & 0xFF);
            green += weight * ((row[dx] >> 8) & 0xFF);
            blue += weight * (row[dx] & 0xFF);
        }
    }
    // Cut, not rounded: the sheets drawn before stay as they were.
    const auto mean = [&](std::int64_t sum) { return static_cast<Pixel>(sum / total); };
    return opaque(mean(red) << 16 | mean(green) << 8 | mean(blue));
}

}  // namespace

void fillRect(Image& image, const Rect& rect, Pixel colour)
{
    const Rect inside = rect.intersected(image.rect());
    for (int y = inside.top; y < inside.bottom(); ++y)
        std::fill_n(image.row(y) + inside.left, inside.width, colour);
}

void frameAround(Image& image, const Rect& inner, Pixel colour)
{
    const Rect outer{inner.left - 1, inner.top - 1, inner.width + 2, inner.height + 2};
    fillRect(image, {outer.left, outer.top, outer.width, 1}, colour);
    fillRect(image, {outer.left, outer.bottom() - 1, outer.width, 1}, colour);
    fillRect(image, {outer.left, outer.top, 1, outer.height}, colour);
    fillRect(image, {outer.right() - 1, outer.top, 1, outer.height}, colour);
}

void crossOut(Image& image, Pixel colour)
{
    const int width = image.width();
    const int height = image.height();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (onStroke(x, y, {0, 0, width, height}) || onStroke(x, y, {0, height, width, 0}))
                image.row(y)[x] = colour;
}

Image enlarged(const Image& image, int zoom)
{
    Image out(image.width() * zoom, image.height() * zoom);
    if (out.isNull())
        return out;
    for (int y = 0; y < out.height(); ++y) {
        const Pixel* source = image.row(y / zoom);
        Pixel* target = out.row(y);
        for (int x = 0; x < out.width(); ++x)
            target[x] = source[x / zoom];
    }
    return out;
}

Image shrunk(const Image& image, int width, int height)
{
    Image out(std::min(width, image.width()), std::min(height, image.height()));
    if (out.isNull())
        return out;
    const std::vector<Cover> columns = coversOf(out.width(), image.width());
    const std::vector<Cover> rows = coversOf(out.height(), image.height());
    const std::int64_t total = std::int64_t{image.width()} * image.height();
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            out.row(y)[x] = averageOf(image, columns[static_cast<std::size_t>(x)], rows[static_cast<std::size_t>(y)],
                                      total);
    return out;
}

}  // namespace pelkora::sheet
