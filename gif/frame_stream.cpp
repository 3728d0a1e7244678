#include "gif/frame_stream.h"

#include <new>

namespace pelkora::gif {

namespace {

constexpr std::size_t kHeaderAndScreen = 13;

bool fits(std::size_t offset, std::size_t count, std::size_t size) { return offset <= size && count <= size - offset; }

}  // namespace

std::size_t frameStreamLength(int globalColorTableSize, const GifFrame& frame)
{
    return kHeaderAndScreen + static_cast<std::size_t>(globalColorTableSize) + frame.length + 1;
}

std::optional<std::vector<std::uint8_t>> frameStream(const std::uint8_t* data, std::size_t size,
                                                     int globalColorTableSize, const GifFrame& frame)
{
    if (data == nullptr || globalColorTableSize < 0)
        return std::nullopt;
    const std::size_t head = kHeaderAndScreen + static_cast<std::size_t>(globalColorTableSize);
    if (!fits(0, head, size) || !fits(frame.offset, frame.length, size))
        return std::nullopt;
    // Reserved, then appended: the two copies are the only writes.
    std::vector<std::uint8_t> stream;
    try {
        stream.reserve(head + frame.length + 1);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    stream.insert(stream.end(), data, data + head);
    stream.insert(stream.end(), data + frame.offset, data + frame.offset + frame.length);
    stream.push_back(0x3B);
    return stream;
}

}  // namespace pelkora::gif
