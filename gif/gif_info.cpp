#include "gif/gif_info.h"

#include <string_view>

namespace pelkora::gif {

namespace {

// The descriptor's own fields, whether or not the colour table it announces
// is there, so that a cut-short file still shows what it claims to be.
LogicalScreen announcedScreen(const std::uint8_t* data, std::size_t size) {
    LogicalScreen screen;
    if (size < 13) return screen;
    screen.width = data[6] | (data[7] << 8);
    screen.height = data[8] | (data[9] << 8);
    if (data[10] & 0x80) screen.globalColorTableSize = 3 * (1 << ((data[10] & 7) + 1));
    return screen;
}

int countFrames(GifScanner scanner) {
    int count = 0;
    while (scanner.SkipFrame()) ++count;
    return count;
}

// Size and position live across calls: a plain-text frame keeps those of
// the frame cut before it.
std::vector<FrameInfo> cutFrames(GifScanner scanner) {
    std::vector<FrameInfo> frames;
    FrameSize size;
    FramePosition position;
    int length = 0;
    int delay = -1;
    int disposal = 0;
    while (scanner.ExtractFrame(length, delay, size, position, disposal)) {
        frames.push_back(FrameInfo{scanner.frameStart, length, delay, disposal,
                                   position.left, position.top, size.width, size.height});
    }
    return frames;
}

void appendField(std::string& out, std::string_view name, long long value) {
    out += ' ';
    out += name;
    out += '=';
    out += std::to_string(value);
}

}  // namespace

std::vector<FrameInfo> describeFrames(const std::uint8_t* data, std::size_t size) {
    const std::optional<LogicalScreen> screen = ReadLogicalScreen(data, size);
    if (!screen) return {};
    return cutFrames(ScannerAtFirstBlock(data, size, screen->globalColorTableSize));
}

std::optional<GifInfo> inspectGif(const std::uint8_t* data, std::size_t size) {
    if (!HasGifSignature(data, size)) return std::nullopt;
    GifInfo info;
    info.screen = announcedScreen(data, size);
    const std::optional<LogicalScreen> screen = ReadLogicalScreen(data, size);
    info.screenComplete = screen.has_value();
    if (!screen) return info;
    const GifScanner scanner = ScannerAtFirstBlock(data, size, screen->globalColorTableSize);
    info.frameCount = countFrames(scanner);
    info.frames = cutFrames(scanner);
    return info;
}

std::optional<std::string> describeGif(const std::uint8_t* data, std::size_t size) {
    const std::optional<GifInfo> info = inspectGif(data, size);
    if (!info) return std::nullopt;
    std::string out = "gif " + std::to_string(info->screen.width) + "x" + std::to_string(info->screen.height);
    appendField(out, "gct", info->screen.globalColorTableSize);
    appendField(out, "frames", info->frameCount);
    int k = 0;
    for (const FrameInfo& f : info->frames) {
        out += "\nframe " + std::to_string(++k);
        appendField(out, "offset", static_cast<long long>(f.offset));
        appendField(out, "length", f.length);
        appendField(out, "delay", f.delay);
        appendField(out, "disposal", f.disposal);
        appendField(out, "left", f.left);
        appendField(out, "top", f.top);
        appendField(out, "width", f.width);
        appendField(out, "height", f.height);
    }
    return out;
}

}  // namespace pelkora::gif
