// Decoding a picture file into a still picture or an animation's frames.
#include "picture/picture_loader.h"

#include "gif/frame_walker.h"
#include "gif/gif_scanner.h"
#include "picture/frame_timing.h"
#include "picture/gif_frame_decoder.h"
#include "picture/picture_file.h"
#include "picture/pixel_bytes.h"
#include "picture/still_decoder.h"

namespace pelkora::picture {

namespace {

// The button-face and menu colours of the reference desktop: fixed, so that
// every machine writes the same bytes.
constexpr std::uint32_t kButtonFaceColor = 0xF0F0F0;
constexpr std::uint32_t kMenuColor = 0xF0F0F0;

// What one frame costs besides its pixels (its record, the picture's header,
// the list's spare room): a GIF of a million one-pixel frames, 15 MB on disk,
// holds about half a gigabyte of it.
constexpr std::uint64_t kFrameRecordBytes = 512;

Status LoadOtherPicture(const std::uint8_t* data, std::size_t size, const LoadLimits& limits, LoadResult& result)
{
    DecodedStill still = DecodeStill(data, size, limits.surfaceBytes, kMenuColor);
    result.outcome.messages = std::move(still.messages);
    result.outcome.detail = std::move(still.reason);
    if (still.status != Status::Ok)
        return still.status;
    result.picture.width = still.image.width();
    result.picture.height = still.image.height();
    result.picture.still = StillPicture{std::move(still.image), 0, 0};
    return Status::Ok;
}

Status ExtractFrames(const std::uint8_t* data, std::size_t size, const std::vector<gif::GifFrame>& walked,
                     const LoadLimits& limits, LoadedPicture& loaded)
{
    std::uint64_t budget = limits.frameBytes;
    for (const gif::GifFrame& frame : walked) {
        FrameRecord record;
        record.delay = frame.delay;
        record.disposal = frame.disposal;
        // A plain text frame repeats the rectangle of the frame before it.
        record.width = frame.rect.width;
        record.height = frame.rect.height;
        record.left = frame.rect.left;
        record.top = frame.rect.top;
        loaded.frameDisplayTime = displayTimeOf(record.delay);
        // Only a frame that is kept is charged.
        if (budget < kFrameRecordBytes)
            return Status::FramesTooLarge;
        DecodedGifImage image = DecodeGifFrame(data, size, frame, budget - kFrameRecordBytes);
        if (image.status == Status::FramesTooLarge)
            return image.status;
        if (image.status != Status::Ok)
            continue;
        budget -= kFrameRecordBytes + rgb32Bytes(image.image.width(), image.image.height());
        record.picture = std::move(image.image);
        loaded.frames.push_back(std::move(record));
    }
    if (loaded.frames.empty())
        return Status::NoFrames;
    if (loaded.frames.size() == 1) {
        // The one frame that decoded is a still picture at its own place.
        FrameRecord& only = loaded.frames.front();
        loaded.still = StillPicture{std::move(only.picture), only.left, only.top};
        loaded.frames.clear();
    }
    return Status::Ok;
}

Status LoadGif(const std::uint8_t* data, std::size_t size, const LoadLimits& limits, LoadResult& result)
{
    LoadedPicture& loaded = result.picture;
    loaded.isGif = true;
    const std::optional<gif::LogicalScreen> screen = gif::ReadLogicalScreen(data, size);
    if (!screen) {
        result.outcome.detail = "the file ends inside its header or global colour table";
        return Status::BrokenPicture;
    }
    loaded.width = screen->width;
    loaded.height = screen->height;
    // Refused before any frame is decoded: a huge screen costs nothing yet.
    if (const Status fits = checkSurfaceSize(screen->width, screen->height, limits.surfaceBytes); fits != Status::Ok)
        return fits;

    // One walk: its frames are both the count and what is decoded.
    std::vector<gif::GifFrame> walked;
    gif::FrameWalker walker(data, size, screen->globalColorTableSize);
    while (std::optional<gif::GifFrame> frame = walker.nextFrame())
        walked.push_back(*frame);
    if (walked.empty())
        return Status::NoFrames;
    if (walked.size() == 1) {
        DecodedGifImage image = DecodeGifImage(data, size, limits.frameBytes);
        if (image.status != Status::Ok)
            return image.status == Status::NotAPicture ? Status::NoFrames : image.status;
        loaded.still = StillPicture{std::move(image.image), image.left, image.top};
        return Status::Ok;
    }
    return ExtractFrames(data, size, walked, limits, loaded);
}

}  // namespace

std::string LoadOutcome::reason() const
{
    std::string text = statusText(outcome.status);
    if (!outcome.ok() && !detail.empty())
        text += " (" + detail + ")";
    return text;
}

std::string BaseNameOf(const std::filesystem::path& path)
{
    const std::string text = path.string();
    const std::size_t dot = text.rfind('.');
    const std::size_t slash = text.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    // A name without a dot is all base name: cutting it to nothing would
    // give every such picture the one hidden name ".dob".
    if (dot == std::string::npos || dot < start)
        return text.substr(start);
    return text.substr(start, dot - start);
}

LoadResult LoadPictureFile(const std::filesystem::path& path, const LoadLimits& limits)
{
    const FileBytes file = readWholeFile(path, limits.fileBytes);
    if (file.status != Status::Ok || file.bytes.empty()) {
        LoadResult result;
        result.outcome.outcome = file.status != Status::Ok ? file.status : Status::NotAPicture;
        result.baseName = BaseNameOf(path);
        return result;
    }
    LoadResult result = LoadPictureBytes(file.bytes.data(), file.bytes.size(), limits);
    result.baseName = BaseNameOf(path);
    return result;
}

LoadResult LoadPictureBytes(const std::uint8_t* data, std::size_t size, const LoadLimits& limits)
{
    LoadResult result;
    result.decoded = true;
    if (data == nullptr || size == 0) {
        result.outcome.outcome = Status::NotAPicture;
        return result;
    }
    Status status = gif::HasGifSignature(data, size) ? LoadGif(data, size, limits, result)
                                                     : LoadOtherPicture(data, size, limits, result);
    LoadedPicture& loaded = result.picture;
    if (status == Status::Ok)
        status = checkSurfaceSize(loaded.width.value_or(0), loaded.height.value_or(0), limits.surfaceBytes);
    if (status != Status::Ok) {
        // A failed load holds no picture.
        loaded.still.reset();
        loaded.frames.clear();
    } else {
        loaded.backgroundColor = kButtonFaceColor;
    }
    result.outcome.outcome = status;
    return result;
}

}  // namespace pelkora::picture
