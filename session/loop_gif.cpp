#include "session/loop_gif.h"

#include <algorithm>
#include <vector>

#include "gif/gif_writer.h"

namespace pelkora::session {

namespace {

std::vector<std::uint8_t> deviceGreyPalette()
{
    std::vector<std::uint8_t> rgb;
    for (int level = 0; level < 16; ++level)
        rgb.insert(rgb.end(), 3, deviceGrey(static_cast<std::uint8_t>(level)));
    return rgb;
}

}  // namespace

std::uint64_t gifDelayOf(std::uint64_t milliseconds)
{
    return std::max<std::uint64_t>(kShortestGifDelay, (milliseconds + 5) / 10);
}

LoopGif encodeLoopGif(const LoopView& view, std::size_t largest)
{
    LoopGif gif;
    if (view.items().empty()) {
        gif.refusal = "the playlist names nothing the device plays";
        return gif;
    }
    const output::Size size = view.frameSize();
    gif::GifWriter writer(size.width, size.height, deviceGreyPalette());
    for (std::size_t i = 0; i < view.items().size(); ++i) {
        LevelImage frame = view.frame(i);
        const std::uint8_t corner = frame.levels.front();
        std::uint64_t delay = gifDelayOf(view.items()[i].milliseconds);
        gif.centiseconds += delay;
        const std::uint64_t first = std::min<std::uint64_t>(delay, gif::kMaxFrameDelay);
        writer.addFrame({0, 0, frame.width, frame.height, std::move(frame.levels)}, static_cast<int>(first));
        for (delay -= first; delay > 0;) {
            const std::uint64_t more = std::min<std::uint64_t>(delay, gif::kMaxFrameDelay);
            writer.addFrame({0, 0, 1, 1, {corner}}, static_cast<int>(more));
            delay -= more;
        }
        if (writer.size() > largest) {
            gif.refusal = "the animation would be larger than " + std::to_string(largest >> 20) + " MiB";
            return gif;
        }
        ++gif.frames;
    }
    gif.bytes = writer.finish();
    return gif;
}

}  // namespace pelkora::session
