#include "gif/gif_info.h"

#include <string_view>

#include "gif/frame_stream.h"
#include "gif/frame_walker.h"

namespace pelkora::gif {

namespace {

// The descriptor's own fields, whether or not the colour table it announces
// is there, so that a cut-short file still shows what it claims to be.
LogicalScreen announcedScreen(const std::uint8_t* data, std::size_t size)
{
    LogicalScreen screen;
    if (size < 13)
        return screen;
    screen.width = data[6] | (data[7] << 8);
    screen.height = data[8] | (data[9] << 8);
    if (data[10] & 0x80)
        screen.globalColorTableSize = 3 * (1 << ((data[10] & 7) + 1));
    return screen;
}

void appendField(std::string& out, std::string_view name, long long value)
{
    out += ' ';
    out += name;
    out += '=';
    out += std::to_string(value);
}

}  // namespace

std::optional<GifInfo> inspectGif(const std::uint8_t* data, std::size_t size)
{
    if (!HasGifSignature(data, size))
        return std::nullopt;
    GifInfo info;
    info.screen = announcedScreen(data, size);
    const std::optional<LogicalScreen> screen = ReadLogicalScreen(data, size);
    info.screenComplete = screen.has_value();
    if (!screen)
        return info;
    info.frames = walkFrames(data, size);
    return info;
}

std::optional<std::string> describeGif(const std::uint8_t* data, std::size_t size)
{
    const std::optional<GifInfo> info = inspectGif(data, size);
    if (!info)
        return std::nullopt;
    std::string out = "gif " + std::to_string(info->screen.width) + "x" + std::to_string(info->screen.height);
    appendField(out, "gct", info->screen.globalColorTableSize);
    appendField(out, "frames", static_cast<long long>(info->frames.size()));
    int k = 0;
    for (const GifFrame& f : info->frames) {
        out += "\nframe " + std::to_string(++k);
        appendField(out, "offset", static_cast<long long>(f.offset));
        appendField(out, "length", static_cast<long long>(frameStreamLength(info->screen.globalColorTableSize, f)));
        appendField(out, "delay", f.delay);
        appendField(out, "disposal", f.disposal);
        appendField(out, "left", f.rect.left);
        appendField(out, "top", f.rect.top);
        appendField(out, "width", f.rect.width);
        appendField(out, "height", f.rect.height);
    }
    return out;
}

}  // namespace pelkora::gif
