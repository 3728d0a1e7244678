#pragma once
// Walks the frames of a GIF held in memory, once, front to back, stepping
// over blocks by their length bytes without decoding image data.
//
//   FrameWalker walker(data, size, screen.globalColorTableSize);
//   while (std::optional<GifFrame> frame = walker.nextFrame()) ...
//
// A frame is any number of application, comment and unknown extensions
// (stepped over, not part of the frame), then a graphic control extension,
// the application, comment or further graphic control extensions after it
// and the image descriptor or plain text extension it governs; or that final
// block alone. The walk ends at the trailer, at a block it cannot recognise
// or measure, or at the end of the data (GifQuirk::MissingTrailer): nothing
// after such a point is a frame, nor is a frame the data cuts short
// (GifQuirk::TruncatedFrame). No read ever reaches at or beyond the end of
// the data.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "gif/gif_frame.h"
#include "gif/gif_scanner.h"

namespace pelkora::gif {

class FrameWalker {
public:
    // The walk begins after the header, the logical screen and a global
    // colour table of globalColorTableSize bytes.
    FrameWalker(const std::uint8_t* data, std::size_t size, int globalColorTableSize);

    // The next frame, or nothing once the walk has ended; every later call
    // gives nothing too.
    std::optional<GifFrame> nextFrame();

    // Where the walk stands: after the last frame it gave, or where it stopped.
    std::size_t cursor() const;

private:
    GifScanner scanner_;
    GifRect lastRect_;
    bool ended_ = false;
};

// Every frame of a GIF whose logical screen is whole, in file order; none
// for data without a whole header, descriptor and global colour table.
std::vector<GifFrame> walkFrames(const std::uint8_t* data, std::size_t size);

}  // namespace pelkora::gif
