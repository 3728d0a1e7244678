#pragma once
// The image of one walked GIF frame, decoded into 8-bit colour indices in a
// buffer the caller owns, at the frame's own rectangle (never the logical
// screen: composition is the caller's).
//
// Call order:
//   1. Walk the frames (gif/frame_walker.h): each record knows where its
//      image data begins, so nothing is walked again to draw it.
//   2. holdsPixels(frame): whether the frame has an image a decoder reads.
//   3. Check frame.rect against the caller's limits (width * height bytes),
//      and size the index buffer to it; one buffer can serve every frame.
//   4. FrameImageDecoder::decode(data, size, frame, buffer): fills the rows
//      the data holds; rowsComplete says how many, in the data's row order
//      (use imageRowAt to find where an interlaced one lies). Rows beyond
//      it are not written: they are what the caller left in the buffer.
//   5. colorTableOf and TransparentIndices: what each index draws.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/status.h"
#include "gif/gif_frame.h"
#include "gif/gif_quirks.h"
#include "gif/lzw_decoder.h"

namespace pelkora::gif {

// Red, green, blue bytes of each entry, inside the source data.
struct ColorTable {
    const std::uint8_t* rgb = nullptr;
    int entries = 0;  // 0: no table; pixels then have no colour
};

// The table a frame's indices go through: its local one, else the global
// one; none when that table does not lie inside the data.
ColorTable colorTableOf(const std::uint8_t* data, std::size_t size, const GifFrame& frame);

// The one rule of which indices draw nothing and leave what lies beneath:
// the frame's transparent index, and every index at or past the end of its
// colour table (GifQuirk::IndexPastTable).
struct TransparentIndices {
    int tableEntries = 0;  // 0 to 256
    int transparent = -1;  // -1: none
    bool contains(std::uint8_t index) const { return index >= tableEntries || index == transparent; }
};

TransparentIndices transparentIndicesOf(const GifFrame& frame, const ColorTable& colors);

// True when the frame has an image with area whose data a decoder reads
// (GifQuirk::BadCodeSize).
bool holdsPixels(const GifFrame& frame);

struct DecodedRows {
    // Ok when every row decoded; BrokenPicture when the data stops early or
    // breaks (rowsComplete rows are still good: GifQuirk::ShortImageData).
    Status status = Status::BrokenPicture;
    int rowsComplete = 0;
};

// The picture row that the n-th row of the data fills.
int imageRowAt(int n, int height, bool interlaced);

class FrameImageDecoder {
public:
    FrameImageDecoder();
    // indices: frame.rect.width * frame.rect.height bytes at least. Reads
    // nothing outside the frame's bytes, which must lie inside the data.
    DecodedRows decode(const std::uint8_t* data, std::size_t size, const GifFrame& frame, std::uint8_t* indices);

private:
    std::unique_ptr<LzwDecoder> lzw_;
};

}  // namespace pelkora::gif
