#pragma once
// --fit: pictures larger than the device's screen scaled down into it by
// area averaging, in integers, so that every machine writes the same bytes
// (the toolkit's own smooth scaling differs between versions and CPUs).

#include <cstdint>

#include "core/image.h"
#include "output/output_options.h"

namespace pelkora::picture {

// The size a picture takes inside bounds with its aspect kept; its own size
// when it already fits. Neither side drops below 1.
output::Size fittedSize(output::Size picture, output::Size bounds);

// Every target pixel the average of the source area it covers, rounded to
// nearest; both target sides at most the source's. A null image when the
// target is not such a size or cannot be made.
Image scaleDownByArea(const Image& source, output::Size target);
Image scaleDownByArea(const PixelView& source, output::Size target);

// A capture as written: its pixels, and where in them the picture lies;
// outside that, letterbox bars of the background colour. An empty area: the
// picture is all of it.
struct Captured {
    Image pixels;
    Rect pictureArea{};
};

// Where fitIntoBounds puts a picture of this size.
Rect letterboxArea(output::Size picture, output::Size bounds);

// A picture larger than bounds scaled into it and centred on an image of
// exactly bounds filled with fill (so that it fills the device's screen);
// a picture that fits is returned as a copy.
Image fitIntoBounds(const Image& picture, output::Size bounds, std::uint32_t fill);
// The same for a picture decoded smaller than its full size: scaled to what
// the full size fits to, so that it lands where the full picture would.
Image fitIntoBounds(const Image& picture, output::Size fullSize, output::Size bounds, std::uint32_t fill);

// --fill: the size a picture takes when scaled to cover bounds, aspect kept
// (the part past bounds is cropped); its own size when it needs no shrinking
// to cover them. Never larger than the picture.
output::Size coveringSize(output::Size picture, output::Size bounds);

// A picture larger than bounds scaled to cover them and its centre cropped
// to exactly bounds, as photo tools fill a frame. A picture too small on one
// side to cover them is not enlarged: its centre, cropped to bounds, lies
// centred on fill. A picture that fits is returned as a copy.
Captured fillBounds(const Image& picture, output::Size bounds, std::uint32_t fill);

}  // namespace pelkora::picture
