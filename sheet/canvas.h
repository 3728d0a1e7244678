#pragma once
// The few strokes and resizings the package sheet makes on core Images,
// without any system's painter, so that they are the same pixels on every
// system. Everything is clipped to the image.

#include "core/image.h"

namespace pelkora::sheet {

void fillRect(Image& image, const Rect& rect, Pixel colour);

// A one-pixel line just outside inner: the frame around a picture placed there.
void frameAround(Image& image, const Rect& inner, Pixel colour);

// Corner to corner across the whole image, each stroke two pixels thick.
void crossOut(Image& image, Pixel colour);

// Each pixel as a zoom by zoom square; null when there is no memory for it.
Image enlarged(const Image& image, int zoom);

// The image shrunk to width by height (no larger than it), each pixel the
// average of the area it stands for; null when there is no memory for it.
Image shrunk(const Image& image, int width, int height);

}  // namespace pelkora::sheet
