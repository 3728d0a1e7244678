// The count pass and the extract pass over a 1,000-frame 320x240 animation
// held in memory, as the picture loader runs them. Bytes per second are
// bytes of GIF data walked.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "gif/gif_scanner.h"
#include "support/gif_builder.h"

namespace {

using pelkora::gif::FramePosition;
using pelkora::gif::FrameSize;
using pelkora::gif::GifScanner;
using pelkora::testing::GifBuilder;

constexpr int kFrames = 1000;
constexpr int kGct = 768;

// About 51 KB of image data per frame in full 255-byte sub-blocks, the
// size an encoder writes for a busy 8-bit 320x240 picture.
const std::vector<std::uint8_t>& animation() {
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

GifScanner scanner(const std::vector<std::uint8_t>& data) {
    return pelkora::gif::ScannerAtFirstBlock(data.data(), data.size(), kGct);
}

int countPass(const std::vector<std::uint8_t>& data) {
    GifScanner s = scanner(data);
    int count = 0;
    while (s.SkipFrame()) ++count;
    return count;
}

int extractPass(const std::vector<std::uint8_t>& data) {
    GifScanner s = scanner(data);
    int cut = 0, length = 0, delay = 0, disposal = 0;
    FrameSize size;
    FramePosition position;
    while (auto stream = s.ExtractFrame(length, delay, size, position, disposal)) {
        benchmark::DoNotOptimize(stream->data());
        ++cut;
    }
    return cut;
}

void BM_CountAndExtract(benchmark::State& state) {
    const auto& data = animation();
    for (auto _ : state) {
        const int counted = countPass(data);
        const int cut = extractPass(data);
        if (counted != kFrames || cut != kFrames) state.SkipWithError("frames lost");
        benchmark::DoNotOptimize(cut);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_CountAndExtract)->Unit(benchmark::kMillisecond);

void BM_CountOnly(benchmark::State& state) {
    const auto& data = animation();
    for (auto _ : state) benchmark::DoNotOptimize(countPass(data));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_CountOnly)->Unit(benchmark::kMillisecond);

void BM_ExtractOnly(benchmark::State& state) {
    const auto& data = animation();
    for (auto _ : state) benchmark::DoNotOptimize(extractPass(data));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}
BENCHMARK(BM_ExtractOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
