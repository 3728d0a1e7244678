#pragma once
// An animated GIF built in memory, frame by frame, over one global colour
// table: GIF89a, a loop forever, each frame a whole image with its own
// delay. Bytes only; where they are written is the caller's.
//
//   GifWriter writer(width, height, palette);
//   writer.addFrame(image, centiseconds) ...
//   std::string bytes = writer.finish();

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelkora::gif {

// Longest delay one frame can say: its field is 16 bits of centiseconds.
inline constexpr int kMaxFrameDelay = 65535;

// Colour indices, one byte a pixel, top row first.
struct IndexedImage {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
};

class GifWriter {
public:
    // width, height: 1 to 65535. paletteRgb: red, green and blue bytes of 2
    // to 256 entries; the table is padded to a power of two.
    GifWriter(int width, int height, const std::vector<std::uint8_t>& paletteRgb);

    // Appends one frame shown for delay centiseconds (0 to kMaxFrameDelay)
    // and left in place under the next. The image must lie inside the
    // screen and hold width * height indices below the palette's entries.
    void addFrame(const IndexedImage& image, int delay);

    // The bytes so far, to bound what the caller builds.
    std::size_t size() const { return bytes_.size(); }
    // The whole file; the writer takes no frames after it.
    std::string finish();

private:
    std::string bytes_;
    int tableBits_ = 1;
};

}  // namespace pelkora::gif
