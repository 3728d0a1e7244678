#include "core/image.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace pelkora {
namespace {

// Every pixel its own value: y * 16 + x, opaque.
Image numbered(int width, int height)
{
    Image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.row(y)[x] = opaque(static_cast<std::uint32_t>(y * 16 + x));
    return image;
}

std::vector<Pixel> pixelsOf(const PixelView& view)
{
    std::vector<Pixel> out;
    for (int y = 0; y < view.height; ++y)
        out.insert(out.end(), view.row(y), view.row(y) + view.width);
    return out;
}

TEST(Image, SizesThatCannotBeHadGiveANullImage)
{
    struct Case {
        int width, height;
        bool made;
    };
    const Case cases[] = {
            {3, 2, true},
            {0, 2, false},
            {3, -1, false},
            {INT_MAX, INT_MAX, false},  // more bytes than memory can address: refused before allocating
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const Image image(c.width, c.height);
        EXPECT_EQ(!image.isNull(), c.made);
        EXPECT_EQ(image.width(), c.made ? c.width : 0);
        EXPECT_EQ(image.sizeInBytes(), c.made ? 24u : 0u);
    }
}

TEST(Image, RectanglesMeetWhereBothHoldPixels)
{
    struct Case {
        const char* name;
        Rect a, b, expected;
    };
    const Case cases[] = {
            {"overlap", {0, 0, 4, 3}, {2, 1, 5, 5}, {2, 1, 2, 2}},
            {"inside", {0, 0, 4, 3}, {1, 1, 1, 1}, {1, 1, 1, 1}},
            {"off the top left", {-2, -1, 3, 3}, {0, 0, 4, 3}, {0, 0, 1, 2}},
            {"edge to edge", {0, 0, 2, 2}, {2, 0, 2, 2}, {2, 0, 0, 0}},
            {"apart", {0, 0, 2, 2}, {5, 5, 1, 1}, {5, 5, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect met = c.a.intersected(c.b);
        EXPECT_EQ(met.empty(), c.expected.empty());
        if (!c.expected.empty()) {
            EXPECT_TRUE(met == c.expected) << met.left << "," << met.top << " " << met.width << "x" << met.height;
        }
    }
}

TEST(Image, ViewsReadAndWriteTheirRectangleOnly)
{
    Image image = numbered(4, 3);
    EXPECT_EQ(pixelsOf(image.view({1, 1, 2, 2})),
              (std::vector<Pixel>{opaque(0x11), opaque(0x12), opaque(0x21), opaque(0x22)}));
    const MutablePixelView corner = image.mutableView({3, 2, 1, 1});
    corner.row(0)[0] = 7;
    EXPECT_EQ(image.pixel(3, 2), 7u);
    EXPECT_EQ(image.pixel(2, 2), opaque(0x22));
}

TEST(Image, CopiesLandOnlyWhereTheyMeetTheTarget)
{
    struct Case {
        const char* name;
        int left, top;
        std::vector<Pixel> expected;  // the 3x2 target afterwards, 0 untouched
    };
    const std::vector<Case> cases = {
            {"inside", 1, 0, {0, opaque(0x00), opaque(0x01), 0, opaque(0x10), opaque(0x11)}},
            {"off the top left", -1, -1, {opaque(0x11), 0, 0, 0, 0, 0}},
            {"off the bottom right", 2, 1, {0, 0, 0, 0, 0, opaque(0x00)}},
            {"apart", 3, 0, {0, 0, 0, 0, 0, 0}},
    };
    const Image source = numbered(2, 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Image target(3, 2);
        target.fill(0);
        copyPixels(source.view(), target, c.left, c.top);
        EXPECT_EQ(pixelsOf(target.view()), c.expected);
    }
    const Image copy = source.copy();
    EXPECT_EQ(pixelsOf(copy.view()), pixelsOf(source.view()));
}

}  // namespace
}  // namespace pelkora
