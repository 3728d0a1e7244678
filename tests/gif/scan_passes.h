#pragma once
// The two passes over a GIF as the picture loader makes them, and the
// checks every frame stream must pass whatever the input.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_scanner.h"

namespace pelkora::gif::testing {

using Bytes = std::vector<std::uint8_t>;

struct CutFrame {
    std::vector<std::uint8_t> stream;
    std::size_t start = 0;
    int length = 0;
    int delay = 0;
    int disposal = 0;
    FrameSize size;
    FramePosition position;
};

inline GifScanner scannerFor(const Bytes& data, int gct) {
    return ScannerAtFirstBlock(data.data(), data.size(), gct);
}

inline int countPass(const Bytes& data, int gct) {
    GifScanner s = scannerFor(data, gct);
    int count = 0;
    while (s.SkipFrame()) ++count;
    return count;
}

inline std::vector<CutFrame> extractPass(const Bytes& data, int gct) {
    GifScanner s = scannerFor(data, gct);
    std::vector<CutFrame> frames;
    CutFrame f;
    while (true) {
        auto stream = s.ExtractFrame(f.length, f.delay, f.size, f.position, f.disposal);
        if (!stream) break;
        f.stream = std::move(*stream);
        f.start = s.frameStart;
        frames.push_back(f);
    }
    return frames;
}

// Frames of a GIF whose logical screen is whole; empty otherwise.
inline std::optional<int> gctOf(const Bytes& data) {
    const auto screen = ReadLogicalScreen(data.data(), data.size());
    if (!screen) return std::nullopt;
    return screen->globalColorTableSize;
}

// The stream is the source head, the frame's bytes from its first block,
// and the trailer; the frames follow one another without overlapping.
inline void expectStreamsWellFormed(const Bytes& data, int gct, const std::vector<CutFrame>& frames) {
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

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace pelkora::gif::testing
