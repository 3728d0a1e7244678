// The frame walk over a 1,000-frame 320x240 animation held in memory, as
// the picture loader makes it, and the walk with every frame cut out as a
// stand-alone stream. Bytes per second are bytes of GIF data walked.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "gif/frame_stream.h"
#include "gif/frame_walker.h"
#include "support/gif_builder.h"

namespace {

using pelkora::gif::FrameWalker;
using pelkora::testing::GifBuilder;

constexpr int kFrames = 1000;
constexpr int kGct = 768;

// About 51 KB of image data per frame in full 255-byte sub-blocks, the
// size an encoder writes for a busy 8-bit 320x240 picture.
const std::vector<std::uint8_t>& animation()
{
    static const std::vector<std::uint8_t> data = [] {
        GifBuilder b;
        b.header().screen(320, 240, 7).netscapeLoop();
        const std::vector<std::size_t> chain(200, 255);
        for (int i = 0; i < kFrames; ++i) {
            b.graphicControl(0x08, 4);
            b.image(0, 0, 320, 240, i % 10 == 0 ? 0x87 : 0x00, chain, 8);
        }
        b.trailer();
        return b.bytes();
    }();
    return data;
}

int walk(const std::vector<std::uint8_t>& data)
{
    FrameWalker walker(data.data(), data.size(), kGct);
    int count = 0;
    while (const auto frame = walker.nextFrame()) {
        benchmark::DoNotOptimize(frame->offset);
        ++count;
    }
    return count;
}

int walkAndCut(const std::vector<std::uint8_t>& data)
{
    FrameWalker walker(data.data(), data.size(), kGct);
    int cut = 0;
    while (const auto frame = walker.nextFrame()) {
        const auto stream = pelkora::gif::frameStream(data.data(), data.size(), kGct, *frame);
        if (!stream)
            break;
        benchmark::DoNotOptimize(stream->data());
        ++cut;
    }
    return cut;
}

void BM_Walk(benchmark::State& state)
{
    const auto& data = animation();
    for (auto _ : state) {
        if (walk(data) != kFrames)
            state.SkipWithError("frames lost");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond);

void BM_WalkAndCut(benchmark::State& state)
{
    const auto& data = animation();
    for (auto _ : state) {
        if (walkAndCut(data) != kFrames)
            state.SkipWithError("frames lost");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_WalkAndCut)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
