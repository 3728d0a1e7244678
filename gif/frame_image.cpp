#include "gif/frame_image.h"

namespace pelkora::gif {

namespace {

constexpr std::size_t kHeaderAndScreen = 13;
constexpr std::uint8_t kTrailer = 0x3B;
constexpr int kMaxMinCodeSize = 11;

// The bytes a record walk may read: [at, end), then, for a frame, the
// trailer a stand-alone stream of it would end in.
class RecordReader {
public:
    RecordReader(const std::uint8_t* data, std::size_t at, std::size_t end, bool trailerAfter)
            : data_(data), at_(at), end_(end), trailerAfter_(trailerAfter)
    {
    }

    bool byte(std::uint8_t& out)
    {
        if (at_ < end_) {
            out = data_[at_++];
            return true;
        }
        if (trailerAfter_ && at_ == end_) {
            ++at_;
            out = kTrailer;
            return true;
        }
        return false;
    }

    // Steps over count bytes; false when they are not all there.
    bool skip(std::size_t count)
    {
        const std::size_t available = (at_ <= end_ ? end_ - at_ : 0) + (trailerAfter_ && at_ <= end_ ? 1 : 0);
        if (count > available)
            return false;
        at_ += count;
        return true;
    }

    bool word(int& out)
    {
        std::uint8_t low = 0, high = 0;
        if (!byte(low) || !byte(high))
            return false;
        out = low | (high << 8);
        return true;
    }

    // The bytes at the cursor are inside the data proper, not the trailer.
    bool inside(std::size_t count) const { return at_ <= end_ && count <= end_ - at_; }
    std::size_t at() const { return at_; }

private:
    const std::uint8_t* data_;
    std::size_t at_;
    std::size_t end_;
    bool trailerAfter_;
};

// One extension after its introducer: the label, then sub-blocks by their
// size bytes. A graphic control extension's first sub-block replaces the
// transparency.
bool readExtension(RecordReader& r, const std::uint8_t* data, std::optional<int>& transparent)
{
    std::uint8_t label = 0, n = 0;
    if (!r.byte(label) || !r.byte(n))
        return false;
    if (label == 0xF9) {
        transparent.reset();
        if (n >= 4 && r.inside(4)) {
            const std::uint8_t* block = data + r.at();
            if (block[0] & 0x01)
                transparent = block[3];
        }
    }
    while (n != 0) {
        if (!r.skip(n) || !r.byte(n))
            return false;
    }
    return true;
}

ColorTable tableAt(const std::uint8_t* data, std::size_t offset, std::uint8_t packed)
{
    if ((packed & 0x80) == 0)
        return {};
    return ColorTable{data + offset, 1 << ((packed & 7) + 1)};
}

std::optional<FrameImage> locate(const std::uint8_t* data, std::size_t size, RecordReader r, std::size_t end)
{
    if (data == nullptr || size < kHeaderAndScreen)
        return std::nullopt;
    const ColorTable global = tableAt(data, kHeaderAndScreen, data[10]);
    if (global.entries * std::size_t{3} > size - kHeaderAndScreen)
        return std::nullopt;
    FrameImage image;
    for (;;) {
        std::uint8_t introducer = 0;
        if (!r.byte(introducer))
            return std::nullopt;
        if (introducer == 0x21) {
            if (!readExtension(r, data, image.transparentIndex))
                return std::nullopt;
            continue;
        }
        if (introducer != 0x2C)
            return std::nullopt;  // the trailer, or anything else, before an image
        break;
    }
    GifRect& rect = image.rect;
    std::uint8_t packed = 0, codeSize = 0;
    if (!r.word(rect.left) || !r.word(rect.top) || !r.word(rect.width) || !r.word(rect.height) || !r.byte(packed))
        return std::nullopt;
    image.interlaced = (packed & 0x40) != 0;
    image.colors = global;
    if (packed & 0x80) {
        const ColorTable local = tableAt(data, r.at(), packed);
        if (!r.inside(static_cast<std::size_t>(local.entries) * 3))
            return std::nullopt;
        r.skip(static_cast<std::size_t>(local.entries) * 3);
        image.colors = local;
    }
    if (!r.byte(codeSize) || codeSize > kMaxMinCodeSize)
        return std::nullopt;
    image.minCodeSize = codeSize;
    image.chainOffset = r.at();
    image.end = end;
    return image;
}

}  // namespace

std::optional<FrameImage> locateFrameImage(const std::uint8_t* data, std::size_t size, const GifFrame& frame)
{
    if (frame.offset > size || frame.length > size - frame.offset)
        return std::nullopt;
    const std::size_t end = frame.offset + frame.length;
    return locate(data, size, RecordReader(data, frame.offset, end, true), end);
}

std::optional<FrameImage> locateFirstImage(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < kHeaderAndScreen)
        return std::nullopt;
    const std::size_t first = kHeaderAndScreen + ((data[10] & 0x80) ? 3u << ((data[10] & 7) + 1) : 0u);
    if (first > size)
        return std::nullopt;
    return locate(data, size, RecordReader(data, first, size, false), size);
}

int imageRowAt(int n, int height, bool interlaced) { return interlaced ? interlacedRowAt(n, height) : n; }

FrameImageDecoder::FrameImageDecoder() : lzw_(std::make_unique<LzwDecoder>()) {}

DecodedRows FrameImageDecoder::decode(const std::uint8_t* data, const FrameImage& image, std::uint8_t* indices)
{
    DecodedRows rows;
    if (image.rect.width <= 0 || image.rect.height <= 0)
        return rows;
    const LzwResult result = lzw_->decode(LzwInput{data, image.chainOffset, image.end, image.minCodeSize},
                                          LzwOutput{indices, image.rect.width, image.rect.height, image.interlaced});
    rows.status = result.status;
    rows.rowsComplete = static_cast<int>(result.pixels / static_cast<std::size_t>(image.rect.width));
    // Every pixel there, but a chain cut short after them: the last row
    // counts as lost, as a line-by-line reader finds its error there.
    if (result.chainUnended && rows.rowsComplete > 0)
        --rows.rowsComplete;
    return rows;
}

}  // namespace pelkora::gif
