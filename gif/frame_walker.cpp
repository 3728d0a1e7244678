#include "gif/frame_walker.h"

namespace pelkora::gif {

namespace {

int readWord(const std::uint8_t* at) { return at[0] | (at[1] << 8); }

bool isLeadingBlock(GifBlockKind k)
{
    return k == GifBlockKind::ApplicationExtension || k == GifBlockKind::CommentExtension
           || k == GifBlockKind::UnknownExtension;
}

bool isFinalBlock(GifBlockKind k)
{
    return k == GifBlockKind::ImageDescriptor || k == GifBlockKind::PlainTextExtension;
}

bool endsWalk(GifBlockKind k) { return k == GifBlockKind::Unrecognised || k == GifBlockKind::Trailer; }

// The one place that says whether a frame has a transparent index. A
// graphic control extension that the scanner measured whole (eight bytes):
// the first one of a frame gives its delay and disposal; each one replaces
// the transparency (GifQuirk::RepeatedGraphicControl), which counts only
// when the size byte reaches the index (GifQuirk::GraphicControlSize).
void readGraphicControl(const std::uint8_t* block, GifFrame& frame, bool first)
{
    if (first) {
        frame.delay = readWord(block + 4);
        frame.disposal = (block[3] >> 2) & 7;
    }
    if (block[2] >= 4 && (block[3] & 0x01) != 0)
        frame.transparentIndex = block[6];
    else
        frame.transparentIndex.reset();
}

// An image descriptor that the scanner measured whole: its ten bytes, the
// local colour table, the code size byte and a terminated chain are inside.
void readImageDescriptor(const std::uint8_t* data, std::size_t at, GifFrame& frame)
{
    const std::uint8_t* d = data + at;
    frame.hasImage = true;
    frame.rect = GifRect{readWord(d + 1), readWord(d + 3), readWord(d + 5), readWord(d + 7)};
    frame.interlaced = (d[9] & 0x40) != 0;
    frame.localColorTableOffset = at + 10;
    if (d[9] & 0x80)
        frame.localColorTableSize = 3 * (1 << ((d[9] & 7) + 1));
    frame.imageDataOffset = frame.localColorTableOffset + static_cast<std::size_t>(frame.localColorTableSize);
    frame.minCodeSize = data[frame.imageDataOffset];
}

}  // namespace

FrameWalker::FrameWalker(const std::uint8_t* data, std::size_t size, int globalColorTableSize)
        : scanner_(ScannerAtFirstBlock(data, size, globalColorTableSize))
{
    ended_ = data == nullptr || globalColorTableSize < 0;
}

std::size_t FrameWalker::cursor() const { return scanner_.scanOffset; }

std::optional<GifFrame> FrameWalker::nextFrame()
{
    if (ended_)
        return std::nullopt;
    // Whatever fails below ends the walk for good: the cursor stays where
    // the failed step left it and nothing after it is looked at again.
    ended_ = true;
    GifScanner& s = scanner_;
    GifBlockKind k = s.ClassifyBlock();
    while (isLeadingBlock(k)) {
        if (!s.AdvanceBlock())
            return std::nullopt;
        k = s.ClassifyBlock();
    }
    if (endsWalk(k) || s.BlockLength() <= 0)
        return std::nullopt;

    GifFrame frame;
    frame.offset = s.scanOffset;
    bool firstControl = true;
    while (!isFinalBlock(k)) {
        if (endsWalk(k))
            return std::nullopt;
        const std::size_t at = s.scanOffset;
        if (!s.AdvanceBlock())
            return std::nullopt;
        if (k == GifBlockKind::GraphicControlExtension) {
            readGraphicControl(s.gifData + at, frame, firstControl);
            firstControl = false;
        }
        k = s.ClassifyBlock();
    }

    const std::size_t finalAt = s.scanOffset;
    if (!s.AdvanceBlock())
        return std::nullopt;
    if (k == GifBlockKind::ImageDescriptor) {
        readImageDescriptor(s.gifData, finalAt, frame);
        lastRect_ = frame.rect;
    }
    frame.rect = lastRect_;
    frame.length = s.scanOffset - frame.offset;
    ended_ = false;
    return frame;
}

std::vector<GifFrame> walkFrames(const std::uint8_t* data, std::size_t size)
{
    const std::optional<LogicalScreen> screen = ReadLogicalScreen(data, size);
    if (!screen)
        return {};
    std::vector<GifFrame> frames;
    FrameWalker walker(data, size, screen->globalColorTableSize);
    while (std::optional<GifFrame> frame = walker.nextFrame())
        frames.push_back(*frame);
    return frames;
}

}  // namespace pelkora::gif
