#pragma once
// What the frame walker makes of a GIF, in the order it sees it: the
// logical screen and one record per frame. The command line prints it; the
// numbers are those the picture loader works with.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_frame.h"
#include "gif/gif_scanner.h"

namespace pelkora::gif {

struct GifInfo {
    // As the descriptor announces it; all 0 when the file is shorter than
    // the 13 bytes of header and descriptor.
    LogicalScreen screen;
    // False when the file is shorter than its header, descriptor and
    // global colour table: such a file has no frames.
    bool screenComplete = false;
    std::vector<GifFrame> frames;
};

// Nothing for data without a GIF signature.
std::optional<GifInfo> inspectGif(const std::uint8_t* data, std::size_t size);

// "gif WxH gct=BYTES frames=N" and one "frame K ..." line per frame (its
// length that of the frame as a stand-alone GIF), joined by line feeds
// without a final one; nothing for data without a GIF signature.
std::optional<std::string> describeGif(const std::uint8_t* data, std::size_t size);

}  // namespace pelkora::gif
