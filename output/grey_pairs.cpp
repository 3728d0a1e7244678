#include "output/grey_pairs.h"

#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define PELKORA_HAVE_AVX2_LOOP 1
#endif

namespace pelkora::output {

namespace {

// The grey formula with the division by three done as (s * 43) >> 7, which
// is exact for every sum of three nibbles (0 to 45) and vectorises.
inline std::uint32_t greyFast(std::uint32_t pixel)
{
    const std::uint32_t sum = ((pixel >> 4) & 0xF) + ((pixel >> 12) & 0xF) + ((pixel >> 20) & 0xF);
    return 15u - ((sum * 43u) >> 7);
}

inline std::uint8_t packPair(std::uint32_t first, std::uint32_t second)
{
    return static_cast<std::uint8_t>(greyFast(first) | (greyFast(second) << 4));
}

// Fixed-size blocks through local arrays give the compiler a loop without
// aliasing or remainder to reason about, so it vectorises at -O2.
std::size_t packBlocksPortable(const std::uint32_t* pixels, std::size_t pairs, std::uint8_t* out)
{
    constexpr std::size_t kBlock = 32;  // output bytes a block
    std::size_t k = 0;
    for (; k + kBlock <= pairs; k += kBlock) {
        std::uint32_t in[2 * kBlock];
        std::uint8_t packed[kBlock];
        std::memcpy(in, pixels + 2 * k, sizeof in);
        for (std::size_t j = 0; j < kBlock; ++j)
            packed[j] = packPair(in[2 * j], in[2 * j + 1]);
        std::memcpy(out + k, packed, sizeof packed);
    }
    return k;
}

#ifdef PELKORA_HAVE_AVX2_LOOP
// Eight pixels to eight grey levels, one in the low byte of each 32-bit lane.
__attribute__((target("avx2"))) inline __m256i greyLanes(__m256i pixels)
{
    // Each colour byte's upper nibble, moved down; alpha dropped.
    const __m256i nibbles = _mm256_and_si256(_mm256_srli_epi16(pixels, 4), _mm256_set1_epi32(0x000F0F0F));
    const __m256i pairSums = _mm256_maddubs_epi16(nibbles, _mm256_set1_epi8(1));
    const __m256i sums = _mm256_madd_epi16(pairSums, _mm256_set1_epi16(1));
    const __m256i thirds = _mm256_srli_epi32(_mm256_mullo_epi16(sums, _mm256_set1_epi32(43)), 7);
    return _mm256_sub_epi32(_mm256_set1_epi32(15), thirds);
}

// Thirty-two pixels to thirty-two grey levels, one a byte, in pixel order.
__attribute__((target("avx2"))) inline __m256i greyBytes(const std::uint32_t* pixels)
{
    const auto* at = reinterpret_cast<const __m256i*>(pixels);
    const __m256i a = greyLanes(_mm256_loadu_si256(at));
    const __m256i b = greyLanes(_mm256_loadu_si256(at + 1));
    const __m256i c = greyLanes(_mm256_loadu_si256(at + 2));
    const __m256i d = greyLanes(_mm256_loadu_si256(at + 3));
    // The packs work within 128-bit halves; the permutation puts the
    // four-byte groups back in order.
    const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(a, b), _mm256_packus_epi32(c, d));
    return _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

// The VEX encoding also keeps clear of the penalty legacy SSE code pays
// after the toolkit's wide fills leave the upper register halves dirty.
__attribute__((target("avx2"))) std::size_t packBlocksAvx2(const std::uint32_t* pixels, std::size_t pairs,
                                                           std::uint8_t* out)
{
    const __m256i lowThenHigh = _mm256_set1_epi16(0x1001);  // first level x1, second x16
    std::size_t k = 0;
    for (; k + 32 <= pairs; k += 32) {
        const __m256i first = _mm256_maddubs_epi16(greyBytes(pixels + 2 * k), lowThenHigh);
        const __m256i second = _mm256_maddubs_epi16(greyBytes(pixels + 2 * k + 32), lowThenHigh);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), packed);
    }
    return k;
}

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

void packRest(const std::uint32_t* pixels, std::size_t count, std::size_t k, std::uint8_t* out)
{
    const std::size_t pairs = count / 2;
    for (; k < pairs; ++k)
        out[k] = packPair(pixels[2 * k], pixels[2 * k + 1]);
    if (count % 2 != 0)
        out[pairs] = static_cast<std::uint8_t>(greyFast(pixels[count - 1]));
}

}  // namespace

void packGreyPairsPlain(const std::uint32_t* pixels, std::size_t count, std::uint8_t* out)
{
    packRest(pixels, count, packBlocksPortable(pixels, count / 2, out), out);
}

void packGreyPairs(const std::uint32_t* pixels, std::size_t count, std::uint8_t* out)
{
#ifdef PELKORA_HAVE_AVX2_LOOP
    if (cpuHasAvx2()) {
        packRest(pixels, count, packBlocksAvx2(pixels, count / 2, out), out);
        return;
    }
#endif
    packGreyPairsPlain(pixels, count, out);
}

}  // namespace pelkora::output
