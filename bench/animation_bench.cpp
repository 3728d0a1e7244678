// The headless conversion of a 300-frame and a 1000-frame 320 x 240
// animated GIF: its time, and its peak memory, which must stay within twice
// the decoded frames (every frame kept at its own rectangle's size, 4 bytes
// a pixel). PELKORA_BENCH_GIF=path also writes the 300-frame GIF there, to
// compare other tools.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <map>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <string>

#include "picture/animated_picture.h"
#include "support/picture_fixtures.h"
#include "support/temp_dir.h"

namespace {

using namespace pelkora::testing;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A moving diagonal pattern with a bouncing square: every frame whole.
const Bytes& animation(int frameCount)
{
    static std::map<int, Bytes> made;
    if (const auto found = made.find(frameCount); found != made.end())
        return found->second;
    const Bytes& gif = made[frameCount] = [frameCount] {
        std::vector<Rgb> palette;
        for (int i = 0; i < 256; ++i)
            palette.push_back(static_cast<Rgb>(i << 16 | ((i * 3) & 0xFF) << 8 | (255 - i)));
        std::vector<GifPictureFrame> frames;
        for (int f = 0; f < frameCount; ++f) {
            GifPictureFrame frame = solidFrame(0, 0, kWidth, kHeight, 0, 4, f % 3 == 0 ? 2 : 0);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const bool square = std::abs(x - (f * 3) % kWidth) < 20 && std::abs(y - (f * 2) % kHeight) < 20;
                    frame.indices[static_cast<std::size_t>(y) * kWidth + x] =
                            static_cast<std::uint8_t>(square ? 255 : ((x + y + f) / 4) & 0x7F);
                }
            frames.push_back(std::move(frame));
        }
        Bytes bytes = makeGif(kWidth, kHeight, palette, frames);
        const char* path = std::getenv("PELKORA_BENCH_GIF");
        if (path != nullptr && frameCount == 300) {
            std::ofstream out(path, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        return bytes;
    }();
    return gif;
}

long statusKilobytes(const char* key)
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0)
            return std::strtol(line.c_str() + std::string(key).size(), nullptr, 10);
    return -1;
}

// Resets the peak resident size to the present one (Linux).
bool resetPeak()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    return static_cast<bool>(out);
}

void convert(const Bytes& gif, const std::filesystem::path& work)
{
    pelkora::picture::AnimatedPicture picture(work);
    picture.setRealtime(false);
    picture.LoadMemory(gif.data(), gif.size());
    picture.ShowPicture();
    picture.finishPass();
}

void ConvertAnimation(benchmark::State& state)
{
    const int frameCount = static_cast<int>(state.range(0));
    const Bytes& gif = animation(frameCount);
    TempDir dir;
    const auto work = makeWorkDirectory(dir);
    for (auto _ : state)
        convert(gif, work);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * frameCount);
    state.counters["gif_bytes"] = static_cast<double>(gif.size());
}
BENCHMARK(ConvertAnimation)
        ->Arg(300)
        ->Arg(1000)
        ->Unit(benchmark::kMillisecond)
        ->MeasureProcessCPUTime()
        ->UseRealTime()
        ->Iterations(5);

void ConvertAnimationPeakMemory(benchmark::State& state)
{
    const int frameCount = static_cast<int>(state.range(0));
    const Bytes& gif = animation(frameCount);
    TempDir dir;
    const auto work = makeWorkDirectory(dir);
    const double decodedFrames = 4.0 * kWidth * kHeight * frameCount;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // What earlier runs freed goes back first, or this run reuses it
        // without the peak ever rising.
#if defined(__GLIBC__)
        malloc_trim(0);
#endif
        if (!resetPeak()) {
            state.SkipWithError("cannot reset the peak resident size");
            return;
        }
        const long before = statusKilobytes("VmRSS:");
        state.ResumeTiming();
        convert(gif, work);
        state.PauseTiming();
        peak = std::max(peak, 1024.0 * static_cast<double>(statusKilobytes("VmHWM:") - before));
        state.ResumeTiming();
    }
    state.counters["peak_bytes"] = peak;
    state.counters["decoded_frame_bytes"] = decodedFrames;
    state.counters["peak_per_decoded"] = peak / decodedFrames;
    if (peak > 2 * decodedFrames)
        state.SkipWithError("peak memory above twice the decoded frames");
}
BENCHMARK(ConvertAnimationPeakMemory)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
