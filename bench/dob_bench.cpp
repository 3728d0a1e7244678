// How fast a captured picture becomes its DOB image; the target is at least
// 1 Gpixel/s (items_per_second below).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include <QImage>

#include "output/dob_writer.h"

namespace {

std::vector<std::uint32_t> noise(std::size_t count)
{
    std::mt19937 random(1);
    std::vector<std::uint32_t> pixels(count);
    for (auto& p : pixels)
        p = random();
    return pixels;
}

void EncodeDobPicture(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto pixels = noise(static_cast<std::size_t>(width) * height);
    const pelkora::output::PixelView view{pixels.data(), width, height, width};
    for (auto _ : state) {
        auto dob = pelkora::output::EncodeDob(view);
        benchmark::DoNotOptimize(dob.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * width * height);
}

// The same after a wide-vector fill, as the batch runs it: the toolkit's fill
// leaves the upper vector halves dirty, which costs legacy SSE code dearly.
void EncodeDobAfterFill(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto pixels = noise(static_cast<std::size_t>(width) * height);
    const pelkora::output::PixelView view{pixels.data(), width, height, width};
    QImage surface(width, height, QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        surface.fill(0xF0F0F0);
        state.ResumeTiming();
        auto dob = pelkora::output::EncodeDob(view);
        benchmark::DoNotOptimize(dob.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * width * height);
}

BENCHMARK(EncodeDobPicture)->Args({320, 240})->Args({1920, 1080})->Args({301, 1001});

}  // namespace

BENCHMARK(EncodeDobAfterFill)->Args({320, 240})->Args({1920, 1080});

BENCHMARK_MAIN();
