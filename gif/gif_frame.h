#pragma once
// One frame of a GIF as the frame walker finds it: where its blocks and its
// image data lie in the source bytes, and what its graphic control
// extension and image descriptor say. The one record of a frame: loading,
// the command line, drawing, tests and benchmarks all read it, and drawing
// starts the image's decode at imageDataOffset without walking again.

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
    // The local colour table inside the source, 0 bytes without one.
    std::size_t localColorTableOffset = 0;
    int localColorTableSize = 0;
    // The image data: its LZW minimum code size byte, as the descriptor left
    // it (0 to 255), and the first sub-block's size byte behind it.
    int minCodeSize = 0;
    std::size_t imageDataOffset = 0;
    // Of the last graphic control extension in the frame: each one replaces
    // what the one before said (GifQuirk::RepeatedGraphicControl).
    std::optional<int> transparentIndex;
};

}  // namespace pelkora::gif
