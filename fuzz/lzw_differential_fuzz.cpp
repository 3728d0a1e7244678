// Our LZW decoder against giflib's on arbitrary bytes: when both read an
// image whole, their indices must be the same.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "gif/giflib_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Small images only: the fuzzer's time goes into the codes, not the area.
    const pelkora::gif::testing::Comparison c =
            pelkora::gif::testing::compareWithGiflib(data, size, std::size_t{1} << 20);
    if (!c.difference.empty()) {
        std::fprintf(stderr, "our decoder and giflib disagree: %s\n", c.difference.c_str());
        std::abort();
    }
    return 0;
}
