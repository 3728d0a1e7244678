#pragma once
// The frame walk over a GIF as the picture loader makes it, and the checks
// every frame cut out as a stand-alone stream must pass whatever the input.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "gif/frame_stream.h"
#include "gif/frame_walker.h"
#include "gif/gif_scanner.h"

namespace pelkora::gif::testing {

using Bytes = std::vector<std::uint8_t>;

struct CutFrame {
    std::vector<std::uint8_t> stream;  // the frame as a stand-alone GIF
    std::size_t start = 0;
    int length = 0;  // of the stream
    int delay = 0;
    int disposal = 0;
    GifRect rect;
};

// One walk over the frames, each also cut out as a stand-alone stream.
inline std::vector<CutFrame> extractPass(const Bytes& data, int gct)
{
    FrameWalker walker(data.data(), data.size(), gct);
    std::vector<CutFrame> frames;
    while (const std::optional<GifFrame> frame = walker.nextFrame()) {
        std::optional<std::vector<std::uint8_t>> stream = frameStream(data.data(), data.size(), gct, *frame);
        if (!stream)
            break;
        CutFrame f;
        f.stream = std::move(*stream);
        f.start = frame->offset;
        f.length = static_cast<int>(f.stream.size());
        f.delay = frame->delay;
        f.disposal = frame->disposal;
        f.rect = frame->rect;
        frames.push_back(std::move(f));
    }
    return frames;
}

inline int countPass(const Bytes& data, int gct)
{
    FrameWalker walker(data.data(), data.size(), gct);
    int count = 0;
    while (walker.nextFrame())
        ++count;
    return count;
}

// Frames of a GIF whose logical screen is whole; empty otherwise.
inline std::optional<int> gctOf(const Bytes& data)
{
    const auto screen = ReadLogicalScreen(data.data(), data.size());
    if (!screen)
        return std::nullopt;
    return screen->globalColorTableSize;
}

// The stream is the source head, the frame's bytes from its first block,
// and the trailer; the frames follow one another without overlapping.
inline void expectStreamsWellFormed(const Bytes& data, int gct, const std::vector<CutFrame>& frames)
{
    const std::size_t head = 13 + static_cast<std::size_t>(gct);
    std::size_t previousEnd = head;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        const CutFrame& f = frames[i];
        ASSERT_GT(f.stream.size(), head + 1);
        EXPECT_EQ(static_cast<std::size_t>(f.length), f.stream.size());
        EXPECT_EQ(f.stream.back(), 0x3B);
        EXPECT_EQ(std::memcmp(f.stream.data(), data.data(), head), 0);
        ASSERT_GE(f.start, previousEnd);
        const std::size_t len = f.stream.size() - head - 1;
        ASSERT_LE(f.start + len, data.size());
        EXPECT_EQ(std::memcmp(f.stream.data() + head, data.data() + f.start, len), 0);
        EXPECT_TRUE(f.delay >= -1 && f.delay <= 65535);
        EXPECT_TRUE(f.disposal >= 0 && f.disposal <= 7);
        previousEnd = f.start + len;
    }
}

inline Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace pelkora::gif::testing
