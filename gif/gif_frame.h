#pragma once
// One frame of a GIF as the frame walker finds it: where its blocks lie in
// the source bytes and what its graphic control extension and image
// descriptor say. Everything a loader, the command line, a test or a
// benchmark needs about a frame, read in the one walk over the file.

#include <cstddef>
#include <optional>

namespace pelkora::gif {

struct GifRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct GifFrame {
    // The frame's bytes in the source: from its first block (the graphic
    // control extension, else the image descriptor or plain text extension)
    // through the end of its final block.
    std::size_t offset = 0;
    std::size_t length = 0;
    // Hundredths of a second, 0 to 65535; -1 without a graphic control extension.
    int delay = -1;
    int disposal = 0;  // 0 to 7
    // False when the final block is a plain text extension: such a frame
    // keeps the rectangle of the frame walked before it (0 for the first).
    bool hasImage = false;
    GifRect rect;
    bool interlaced = false;
    int localColorTableSize = 0;  // bytes, 0 without a local table
    // Of the last graphic control extension in the frame that enables one.
    std::optional<int> transparentIndex;
};

}  // namespace pelkora::gif
