#pragma once
// What the frame splitter makes of a GIF, in the order it sees it: the
// logical screen, the number of frames the count pass steps over, and one
// record per frame the extract pass cuts. The command line prints it; the
// numbers are those the picture loader would work with.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_scanner.h"

namespace pelkora::gif {

struct FrameInfo {
    std::size_t offset = 0;  // of the frame's first block in the file
    int length = 0;          // of the frame stream
    int delay = -1;          // hundredths of a second, -1 without a graphic control extension
    int disposal = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct GifInfo {
    // As the descriptor announces it; all 0 when the file is shorter than
    // the 13 bytes of header and descriptor.
    LogicalScreen screen;
    // False when the file is shorter than its header, descriptor and
    // global colour table: such a file has no frames.
    bool screenComplete = false;
    int frameCount = 0;  // successful SkipFrame calls
    std::vector<FrameInfo> frames;
};

// The frames the extract pass cuts, in file order; empty for data that is
// not a whole GIF header, descriptor and global colour table.
std::vector<FrameInfo> describeFrames(const std::uint8_t* data, std::size_t size);

// Nothing for data without a GIF signature.
std::optional<GifInfo> inspectGif(const std::uint8_t* data, std::size_t size);

// "gif WxH gct=BYTES frames=N" and one "frame K ..." line per cut frame,
// joined by line feeds without a final one; nothing for data without a GIF
// signature.
std::optional<std::string> describeGif(const std::uint8_t* data, std::size_t size);

}  // namespace pelkora::gif
