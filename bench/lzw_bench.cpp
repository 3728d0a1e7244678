// LZW decoding of a 100-frame 320x240 animation held in memory, with its
// frames in plain order (argument 0) and interlaced (1): ours into one
// reused index buffer, and giflib's DGifSlurp on the same bytes. The
// "time/code" counter is the time per LZW code of the frames (the same codes
// for both), the figure decoders are compared by.

#include <benchmark/benchmark.h>

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/status.h"
#include "gif/frame_image.h"
#include "gif/frame_walker.h"
#include "support/gif_builder.h"

namespace {

using pelkora::testing::GifBuilder;
using pelkora::testing::GifPictureFrame;
using pelkora::testing::Rgb;

constexpr int kFrames = 100;
constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A dithered gradient that moves from frame to frame, with a noisy patch:
// strings of a few pixels, as a photograph reduced to 256 colours gives.
const std::vector<std::uint8_t>& animation(bool interlaced)
{
    static std::vector<std::uint8_t> made[2];
    std::vector<std::uint8_t>& data = made[interlaced ? 1 : 0];
    if (!data.empty())
        return data;
    data = [interlaced] {
        std::vector<Rgb> palette;
        for (int i = 0; i < 256; ++i)
            palette.push_back(static_cast<Rgb>(i * 0x010101));
        GifBuilder b;
        b.header().screenWithColors(kWidth, kHeight, palette).netscapeLoop();
        std::uint32_t state = 12345;
        for (int f = 0; f < kFrames; ++f) {
            GifPictureFrame frame;
            frame.width = kWidth;
            frame.height = kHeight;
            frame.delay = 4;
            frame.interlaced = interlaced;
            frame.indices.resize(static_cast<std::size_t>(kWidth) * kHeight);
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kWidth; ++x) {
                    state = state * 1664525u + 1013904223u;
                    const bool patch = x > 200 && y > 120;
                    const int dither = static_cast<int>((state >> 24) % (patch ? 64 : 3));
                    frame.indices[static_cast<std::size_t>(y) * kWidth + x] =
                            static_cast<std::uint8_t>(((x + 2 * f) / 3 + y / 2 + dither) & 0xFF);
                }
            }
            b.picture(frame);
        }
        return b.trailer().bytes();
    }();
    return data;
}

// Seconds per code, shown with its prefix ("2.5n" is 2.5 ns).
benchmark::Counter perCode(std::size_t codes)
{
    return benchmark::Counter(static_cast<double>(codes),
                              benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

struct OurPass {
    std::size_t codes = 0;
    int frames = 0;
};

OurPass decodeOurs(const std::vector<std::uint8_t>& data, std::vector<std::uint8_t>& indices,
                   pelkora::gif::LzwDecoder& lzw)
{
    OurPass pass;
    pelkora::gif::FrameWalker walker(data.data(), data.size(), 768);
    while (const auto frame = walker.nextFrame()) {
        if (!pelkora::gif::holdsPixels(*frame))
            continue;
        const auto result = lzw.decode(
                pelkora::gif::LzwInput{data.data(), frame->imageDataOffset + 1, frame->offset + frame->length,
                                       frame->minCodeSize},
                pelkora::gif::LzwOutput{indices.data(), frame->rect.width, frame->rect.height, frame->interlaced});
        if (result.status == pelkora::Status::Ok)
            ++pass.frames;
        pass.codes += result.codes;
    }
    return pass;
}

std::size_t codesOf(const std::vector<std::uint8_t>& data)
{
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(kWidth) * kHeight);
    pelkora::gif::LzwDecoder lzw;
    return decodeOurs(data, indices, lzw).codes;
}

void BM_OurLzw(benchmark::State& state)
{
    const auto& data = animation(state.range(0) != 0);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(kWidth) * kHeight);
    pelkora::gif::LzwDecoder lzw;
    std::size_t codes = 0;
    for (auto _ : state) {
        const OurPass pass = decodeOurs(data, indices, lzw);
        if (pass.frames != kFrames)
            state.SkipWithError("frames lost");
        codes = pass.codes;
        benchmark::DoNotOptimize(indices.data());
    }
    state.counters["time/code"] = perCode(codes);
    state.counters["codes"] = static_cast<double>(codes);
}
BENCHMARK(BM_OurLzw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
};

int readMemory(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(wanted > 0 ? wanted : 0), r->size - r->at);
    std::memcpy(out, r->data + r->at, n);
    r->at += n;
    return static_cast<int>(n);
}

void BM_GiflibLzw(benchmark::State& state)
{
    const auto& data = animation(state.range(0) != 0);
    const std::size_t codes = codesOf(data);
    for (auto _ : state) {
        MemoryReader reader{data.data(), data.size(), 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&reader, readMemory, &error);
        if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount != kFrames)
            state.SkipWithError("giflib refused the animation");
        if (gif != nullptr) {
            benchmark::DoNotOptimize(gif->SavedImages);
            DGifCloseFile(gif, &error);
        }
    }
    state.counters["time/code"] = perCode(codes);
}
BENCHMARK(BM_GiflibLzw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
