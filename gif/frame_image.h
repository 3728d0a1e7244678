#pragma once
// The image of one GIF frame, decoded into 8-bit colour indices in a buffer
// the caller owns, at the frame's own rectangle (never the logical screen:
// composition is the caller's).
//
// Call order:
//   1. Walk the frames (gif/frame_walker.h); for a file of one image the
//      whole data after the global colour table serves as well.
//   2. locateFrameImage / locateFirstImage: the image's header (rectangle,
//      interlacing, colour table, transparent index, code size) or nothing
//      when the frame holds no image a decoder reads.
//   3. Check image.rect against the caller's limits (width * height bytes),
//      and size the index buffer to it; one buffer can serve every frame.
//   4. FrameImageDecoder::decode(data, image, buffer): fills the rows the
//      data holds; rowsComplete says how many, in the data's row order
//      (use imageRowAt to find where an interlaced one lies). Rows beyond
//      it are not written: they are what the caller left in the buffer.
//
// Records are read as an image decoder reads a file: extensions by their own
// size bytes, each graphic control extension replacing the transparency.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/status.h"
#include "gif/gif_frame.h"
#include "gif/lzw_decoder.h"

namespace pelkora::gif {

// Red, green, blue bytes of each entry, inside the source data.
struct ColorTable {
    const std::uint8_t* rgb = nullptr;
    int entries = 0;  // 0: no table; pixels then have no colour
};

struct FrameImage {
    GifRect rect;
    bool interlaced = false;
    int minCodeSize = 0;  // 0 to 11
    ColorTable colors;    // the local table, else the global one
    std::optional<int> transparentIndex;
    std::size_t chainOffset = 0;  // the image data's first sub-block
    std::size_t end = 0;          // of the bytes the image may be read from
};

// The first image of the frame's bytes; the frame is read as a stand-alone
// GIF would be: after its bytes comes the trailer.
std::optional<FrameImage> locateFrameImage(const std::uint8_t* data, std::size_t size, const GifFrame& frame);

// The first image after the global colour table, for a file read whole.
std::optional<FrameImage> locateFirstImage(const std::uint8_t* data, std::size_t size);

struct DecodedRows {
    // Ok when every row decoded; BrokenPicture when the data stops early or
    // breaks (rowsComplete rows are still good).
    Status status = Status::BrokenPicture;
    int rowsComplete = 0;
};

// The picture row that the n-th row of the data fills.
int imageRowAt(int n, int height, bool interlaced);

class FrameImageDecoder {
public:
    FrameImageDecoder();
    // indices: image.rect.width * image.rect.height bytes at least.
    DecodedRows decode(const std::uint8_t* data, const FrameImage& image, std::uint8_t* indices);

private:
    std::unique_ptr<LzwDecoder> lzw_;
};

}  // namespace pelkora::gif
