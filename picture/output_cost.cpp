#include "picture/output_cost.h"

#include <algorithm>

namespace pelkora::picture {

namespace {

// A DOB: two header bytes and a nibble a pixel.
std::uint64_t dobBytes(std::uint64_t width, std::uint64_t height) { return 2 + (width * height + 1) / 2; }

// The part of a frame's rectangle that lies on the screen: no more is copied out.
std::uint64_t visibleSpan(int start, int length, int screenLength)
{
    const int from = std::max(start, 0);
    const int to = std::min(start + length, screenLength);
    return to > from ? static_cast<std::uint64_t>(to - from) : 0;
}

std::uint64_t mebibytes(std::uint64_t bytes) { return (bytes + (std::uint64_t{1} << 20) - 1) >> 20; }

}  // namespace

std::uint64_t plannedDobBytes(const std::vector<FrameRecord>& frames, const SurfaceShape& screen,
                              const output::OutputOptions& options)
{
    std::uint64_t total = 0;
    for (const FrameRecord& record : frames) {
        const gif::GifRect& rect = record.frame.rect;
        std::uint64_t width = options.fullFrames ? static_cast<std::uint64_t>(std::max(screen.width, 0))
                                                 : visibleSpan(rect.left, rect.width, screen.width);
        std::uint64_t height = options.fullFrames ? static_cast<std::uint64_t>(std::max(screen.height, 0))
                                                  : visibleSpan(rect.top, rect.height, screen.height);
        if (options.fit && (width > static_cast<std::uint64_t>(options.fit->width)
                            || height > static_cast<std::uint64_t>(options.fit->height))) {
            width = static_cast<std::uint64_t>(options.fit->width);
            height = static_cast<std::uint64_t>(options.fit->height);
        }
        if (width > 0 && height > 0)
            total += dobBytes(width, height);
    }
    return total;
}

std::optional<std::string> outputCostRefusal(const std::vector<FrameRecord>& frames, const SurfaceShape& screen,
                                             const output::OutputOptions& options)
{
    const std::uint64_t bytes = plannedDobBytes(frames, screen, options);
    if (bytes <= kMaxOutputBytes)
        return std::nullopt;
    return "its " + std::to_string(frames.size()) + " frames would write " + std::to_string(mebibytes(bytes))
           + " MiB, more than the " + std::to_string(mebibytes(kMaxOutputBytes)) + " MiB one input may write";
}

}  // namespace pelkora::picture
