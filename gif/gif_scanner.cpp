#include "gif/gif_scanner.h"

#include <cstring>

namespace pelkora::gif {

namespace {

constexpr std::size_t kHeaderAndScreen = 13;
constexpr std::size_t kGraphicControlLength = 8;
constexpr std::size_t kImageDescriptorFixed = 10;  // without the LZW code size byte
constexpr std::size_t kApplicationHead = 3;        // introducer, label, size byte
constexpr std::size_t kCommentFixed = 2;
constexpr std::size_t kUnknownExtensionFixed = 2;
constexpr std::size_t kPlainTextFixed = 15;

// Callers have checked that both bytes lie inside the data.
int readWord(const std::uint8_t* at) { return at[0] | (at[1] << 8); }

// Bytes of a colour table announced by a packed byte whose bit 7 says
// whether the table is there at all.
std::size_t colorTableBytes(std::uint8_t packed)
{
    if ((packed & 0x80) == 0)
        return 0;
    return 3u * (std::size_t{1} << ((packed & 7) + 1));
}

// True when count bytes starting at offset lie inside the data.
bool fits(std::size_t offset, std::size_t count, std::size_t size) { return offset <= size && count <= size - offset; }

}  // namespace

bool HasGifSignature(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < 6)
        return false;
    return std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0;
}

std::optional<LogicalScreen> ReadLogicalScreen(const std::uint8_t* data, std::size_t size)
{
    if (data == nullptr || size < kHeaderAndScreen)
        return std::nullopt;
    LogicalScreen screen;
    screen.width = readWord(data + 6);
    screen.height = readWord(data + 8);
    const std::size_t gct = colorTableBytes(data[10]);
    if (!fits(kHeaderAndScreen, gct, size))
        return std::nullopt;
    screen.globalColorTableSize = static_cast<int>(gct);
    return screen;
}

GifScanner ScannerAtFirstBlock(const std::uint8_t* data, std::size_t size, int globalColorTableSize)
{
    GifScanner scanner;
    scanner.gifData = data;
    scanner.dataSize = size;
    scanner.globalColorTableSize = globalColorTableSize;
    scanner.scanOffset = kHeaderAndScreen + static_cast<std::size_t>(globalColorTableSize);
    return scanner;
}

std::int64_t GifScanner::SubBlocksLength(std::size_t offset) const
{
    if (gifData == nullptr)
        return 0;
    std::int64_t total = 0;
    std::size_t p = offset;
    while (p < dataSize) {
        const std::size_t n = gifData[p];
        if (n == 0)
            return total + 1;
        // The next size byte would lie at p + n + 1; measured against what
        // is left so that the sum cannot wrap.
        if (n + 1 >= dataSize - p)
            return 0;
        total += static_cast<std::int64_t>(n + 1);
        p += n + 1;
    }
    return 0;
}

GifBlockKind GifScanner::ClassifyBlock() const
{
    if (gifData == nullptr || scanOffset >= dataSize)
        return GifBlockKind::Unrecognised;
    const std::uint8_t b = gifData[scanOffset];
    if (b == 0x21) {
        if (dataSize - scanOffset < 2)
            return GifBlockKind::Unrecognised;
        switch (gifData[scanOffset + 1]) {
        case 0x01:
            return GifBlockKind::PlainTextExtension;
        case 0xF9:
            return GifBlockKind::GraphicControlExtension;
        case 0xFE:
            return GifBlockKind::CommentExtension;
        case 0xFF:
            return GifBlockKind::ApplicationExtension;
        default:
            return GifBlockKind::UnknownExtension;
        }
    }
    if (b == 0x2C)
        return GifBlockKind::ImageDescriptor;
    if (b == 0x3B)
        return GifBlockKind::Trailer;
    return GifBlockKind::Unrecognised;
}

std::int64_t GifScanner::BlockLength() const
{
    const std::size_t o = scanOffset;
    // A fixed part plus the sub-block chain behind it; a chain that is not
    // ended inside the data leaves the block unmeasurable.
    const auto withChain = [this, o](std::size_t fixed) -> std::int64_t {
        if (!fits(o, fixed, dataSize))
            return 0;
        const std::int64_t chain = SubBlocksLength(o + fixed);
        return chain <= 0 ? 0 : static_cast<std::int64_t>(fixed) + chain;
    };
    switch (ClassifyBlock()) {
    case GifBlockKind::Unrecognised:
        return -1;
    case GifBlockKind::ApplicationExtension:
        // Its sub-blocks follow the identifier block, whose size byte says
        // how long it is (11 in the common case, but not always).
        if (!fits(o, kApplicationHead, dataSize))
            return 0;
        return withChain(kApplicationHead + gifData[o + 2]);
    case GifBlockKind::CommentExtension:
        return withChain(kCommentFixed);
    case GifBlockKind::UnknownExtension:
        return withChain(kUnknownExtensionFixed);
    case GifBlockKind::GraphicControlExtension:
        return static_cast<std::int64_t>(kGraphicControlLength);
    case GifBlockKind::PlainTextExtension:
        return withChain(kPlainTextFixed);
    case GifBlockKind::ImageDescriptor: {
        if (!fits(o, kImageDescriptorFixed, dataSize))
            return 0;
        const std::size_t lct = colorTableBytes(gifData[o + 9]);
        return withChain(kImageDescriptorFixed + 1 + lct);
    }
    case GifBlockKind::Trailer:
        return 1;
    }
    return -1;
}

bool GifScanner::AdvanceBlock()
{
    if (gifData == nullptr)
        return false;
    const std::int64_t n = BlockLength();
    if (n <= 0)
        return false;
    // A measured block starts inside the data, so scanOffset < dataSize.
    if (static_cast<std::uint64_t>(n) > dataSize - scanOffset)
        return false;
    scanOffset += static_cast<std::size_t>(n);
    return true;
}

}  // namespace pelkora::gif
