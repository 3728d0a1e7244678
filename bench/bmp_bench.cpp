// The batch's 120 BMPs of 320 x 240 at 24 bits, decoded into RGB32 pictures
// three ways: through the toolkit's reader as the loader used to, by the
// direct reader alone, and through the whole still-picture decode that the
// loader calls. items_per_second counts files.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "decoders/bmp_decoder.h"
#include "decoders/still_decoder.h"
#include "support/bmp_builder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int kFiles = 120;
constexpr std::uint64_t kLimit = std::uint64_t{256} << 20;
constexpr QRgb kUnder = 0xFFF0F0F0;

// Each file its own noise, so that no decode finds the last one's pixels in cache.
const std::vector<Bytes>& batch(unsigned bits)
{
    static std::vector<Bytes> files[33];
    std::vector<Bytes>& out = files[bits];
    if (!out.empty())
        return out;
    std::mt19937 random(bits);
    for (int i = 0; i < kFiles; ++i) {
        pelkora::testing::BmpRecipe recipe;
        recipe.width = 320;
        recipe.height = 240;
        recipe.bits = bits;
        if (bits == 8)
            for (int c = 0; c < 256; ++c)
                recipe.palette.push_back(random() & 0xFFFFFF);
        recipe.pixels.resize(320 * 240);
        for (auto& p : recipe.pixels)
            p = bits == 8 ? random() & 0xFF : random() & 0xFFFFFF;
        out.push_back(pelkora::testing::buildBmp(recipe));
    }
    return out;
}

QImage throughToolkit(const Bytes& file)
{
    const QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

void BmpThroughToolkit(benchmark::State& state)
{
    const auto& files = batch(static_cast<unsigned>(state.range(0)));
    for (auto _ : state)
        for (const Bytes& file : files)
            benchmark::DoNotOptimize(throughToolkit(file).constBits());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles);
}

void BmpDirect(benchmark::State& state)
{
    const auto& files = batch(static_cast<unsigned>(state.range(0)));
    for (auto _ : state)
        for (const Bytes& file : files) {
            const auto decoded = pelkora::decoders::DecodeBmp(file.data(), file.size(), {kLimit, kUnder});
            benchmark::DoNotOptimize(decoded->image.row(0));
        }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles);
}

void BmpDecodeStill(benchmark::State& state)
{
    const auto& files = batch(static_cast<unsigned>(state.range(0)));
    for (auto _ : state)
        for (const Bytes& file : files) {
            const auto decoded = pelkora::decoders::DecodeStill(file.data(), file.size(), {kLimit, kUnder});
            benchmark::DoNotOptimize(decoded.image.row(0));
        }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kFiles);
}

}  // namespace

BENCHMARK(BmpThroughToolkit)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpDirect)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BmpDecodeStill)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
