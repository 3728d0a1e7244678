// Count pass and extract pass over arbitrary bytes: neither may read past
// the data, and every stream cut must be a whole GIF of the source's head,
// one frame's bytes and the trailer.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "gif/gif_info.h"
#include "gif/gif_scanner.h"

namespace {

using namespace pelkora::gif;

void require(bool condition) {
    if (!condition) std::abort();
}

void checkPasses(const std::uint8_t* data, std::size_t size, int gct) {
    GifScanner counter = ScannerAtFirstBlock(data, size, gct);
    int counted = 0;
    while (counter.SkipFrame()) {
        require(counter.scanOffset <= size);
        ++counted;
    }

    const std::size_t head = 13 + static_cast<std::size_t>(gct);
    GifScanner cutter = ScannerAtFirstBlock(data, size, gct);
    int cut = 0;
    std::size_t previousEnd = head;
    int length = 0, delay = 0, disposal = 0;
    FrameSize frameSize;
    FramePosition position;
    while (auto stream = cutter.ExtractFrame(length, delay, frameSize, position, disposal)) {
        ++cut;
        require(static_cast<std::size_t>(length) == stream->size());
        require(stream->size() > head + 1);
        const std::size_t len = stream->size() - head - 1;
        require(cutter.frameStart >= previousEnd);
        require(cutter.frameStart + len == cutter.scanOffset);
        require(cutter.scanOffset <= size);
        require(stream->back() == 0x3B);
        require(std::memcmp(stream->data(), data, head) == 0);
        require(std::memcmp(stream->data() + head, data + cutter.frameStart, len) == 0);
        require(delay >= -1 && delay <= 65535);
        require(disposal >= 0 && disposal <= 7);
        previousEnd = cutter.scanOffset;
    }
    require(cut == counted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that the address sanitizer sees a read of the
    // first byte past the end.
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(exact.get(), data, size);

    const auto screen = ReadLogicalScreen(exact.get(), size);
    if (screen) {
        require(13 + static_cast<std::size_t>(screen->globalColorTableSize) <= size);
        checkPasses(exact.get(), size, screen->globalColorTableSize);
    } else {
        require(describeFrames(exact.get(), size).empty());
    }
    // The text for the command line is built from the same passes.
    if (const auto text = describeGif(exact.get(), size)) require(text->rfind("gif ", 0) == 0);
    return 0;
}
