// The frame walk over arbitrary bytes: it may not read past the data, its
// frames follow one another inside it, and every frame cut out as a stream
// is a whole GIF of the source's head, the frame's bytes and the trailer.
// Each frame's image is decoded too, within a pixel limit.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "gif/frame_image.h"
#include "gif/frame_stream.h"
#include "gif/frame_walker.h"
#include "gif/gif_info.h"

namespace {

using namespace pelkora::gif;

constexpr std::size_t kPixelLimit = std::size_t{1} << 22;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkWalk(const std::uint8_t* data, std::size_t size, int gct)
{
    const std::size_t head = 13 + static_cast<std::size_t>(gct);
    FrameWalker walker(data, size, gct);
    std::size_t previousEnd = head;
    std::vector<std::uint8_t> indices;
    FrameImageDecoder decoder;
    while (const std::optional<GifFrame> frame = walker.nextFrame()) {
        require(frame->offset >= previousEnd);
        require(frame->length > 0 && frame->offset + frame->length == walker.cursor());
        require(walker.cursor() <= size);
        require(frame->delay >= -1 && frame->delay <= 65535);
        require(frame->disposal >= 0 && frame->disposal <= 7);
        const auto stream = frameStream(data, size, gct, *frame);
        require(stream.has_value());
        require(stream->size() == frameStreamLength(gct, *frame));
        require(stream->back() == 0x3B);
        require(std::memcmp(stream->data(), data, head) == 0);
        require(std::memcmp(stream->data() + head, data + frame->offset, frame->length) == 0);
        previousEnd = walker.cursor();

        if (!frame->hasImage)
            continue;
        require(frame->imageDataOffset > frame->offset && frame->imageDataOffset < walker.cursor());
        require(frame->localColorTableOffset + static_cast<std::size_t>(frame->localColorTableSize)
                == frame->imageDataOffset);
        const std::size_t pixels =
                static_cast<std::size_t>(frame->rect.width) * static_cast<std::size_t>(frame->rect.height);
        if (!holdsPixels(*frame) || pixels > kPixelLimit)
            continue;
        indices.assign(pixels, 0);
        const DecodedRows rows = decoder.decode(data, size, *frame, indices.data());
        require(rows.rowsComplete >= 0 && rows.rowsComplete <= frame->rect.height);
        require((rows.status == pelkora::Status::Ok) == (rows.rowsComplete == frame->rect.height));
    }
    require(walker.cursor() <= size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so that the address sanitizer sees a read of the
    // first byte past the end.
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[size ? size : 1]);
    if (size)
        std::memcpy(exact.get(), data, size);

    const auto screen = ReadLogicalScreen(exact.get(), size);
    if (screen) {
        require(13 + static_cast<std::size_t>(screen->globalColorTableSize) <= size);
        checkWalk(exact.get(), size, screen->globalColorTableSize);
    } else {
        require(walkFrames(exact.get(), size).empty());
    }
    // The text for the command line is built from the same walk.
    if (const auto text = describeGif(exact.get(), size))
        require(text->rfind("gif ", 0) == 0);
    return 0;
}
