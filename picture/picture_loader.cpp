// Decoding a picture file into a still picture or an animation's frames.
#include "picture/picture_loader.h"

#include <algorithm>
#include <cstring>

#include "decoders/still_decoder.h"
#include "gif/frame_image.h"
#include "gif/frame_walker.h"
#include "gif/gif_scanner.h"
#include "picture/frame_timing.h"
#include "picture/gif_frame_decoder.h"
#include "platform/path_names.h"

namespace pelkora::picture {

namespace {

// The button-face and menu colours of the reference desktop: fixed, so that
// every machine writes the same bytes.
constexpr std::uint32_t kButtonFaceColor = 0xF0F0F0;

// What one kept frame costs besides its share of the file: its record, and
// the walk's record of it while the load runs. A GIF of a million one-pixel
// frames, 15 MB on disk, holds about 150 MB of them.
constexpr std::uint64_t kFrameRecordBytes = sizeof(FrameRecord) + sizeof(gif::GifFrame);

decoders::ReducedDecode reducedFor(const LoadLimits& limits)
{
    if (!limits.fit)
        return {};
    decoders::ReducedDecode reduced;
    reduced.boxWidth = limits.fit->width;
    reduced.boxHeight = limits.fit->height;
    return reduced;
}

Status LoadOtherPicture(const std::uint8_t* data, std::size_t size, const LoadLimits& limits, LoadResult& result)
{
    decoders::DecodedStill still =
            decoders::DecodeStill(data, size, {limits.surfaceBytes, limits.matte, reducedFor(limits)});
    result.outcome.messages = std::move(still.messages);
    if (still.status != Status::Ok) {
        result.outcome.outcome.detail = std::move(still.reason);
        return still.status;
    }
    result.picture.width = still.image.width();
    result.picture.height = still.image.height();
    if (still.fullWidth > 0 && still.fullHeight > 0)
        result.picture.fullSize = output::Size{still.fullWidth, still.fullHeight};
    result.picture.still = StillPicture{std::make_shared<const Image>(std::move(still.image)), 0, 0, false};
    return Status::Ok;
}

// The bytes the kept frames share: the file's own buffer when the caller
// hands it over, else a copy.
SharedBytes shareBytes(const std::uint8_t* data, std::size_t size, output::ReadBuffer* owned)
{
    if (owned != nullptr && owned->data() == data && owned->size() == size)
        return std::make_shared<const output::ReadBuffer>(std::move(*owned));
    auto copy = std::make_shared<output::ReadBuffer>();
    copy->reserve(size);
    std::memcpy(copy->spare(), data, size);
    copy->grow(size);
    return copy;
}

// A GIF's one frame that decodes, as a still picture at its own place.
Status DecodeStillFrame(const std::uint8_t* data, std::size_t size, const gif::GifFrame& frame,
                        const LoadLimits& limits, LoadedPicture& loaded)
{
    DecodedGifImage image = DecodeGifFrame(data, size, frame, limits.frameBytes);
    if (image.status != Status::Ok)
        return image.status == Status::NotAPicture ? Status::NoFrames : image.status;
    loaded.still = StillPicture{std::make_shared<const Image>(std::move(image.image)), image.left, image.top, true};
    return Status::Ok;
}

// Every frame is checked as its decoder will read it when drawn: a frame
// without an image or with an empty rectangle is left out; what decodes of
// the rest is drawn, so nothing is decoded here. What the animation holds
// is charged against the limit before anything is kept.
Status ExtractFrames(const std::uint8_t* data, std::size_t size, const std::vector<gif::GifFrame>& walked,
                     const LoadLimits& limits, output::ReadBuffer* owned, LoadedPicture& loaded)
{
    std::uint64_t records = 0;
    std::uint64_t largestRect = 0;
    loaded.frames.reserve(walked.size());
    for (const gif::GifFrame& frame : walked) {
        loaded.frameDisplayTime = displayTimeOf(frame.delay);
        if (!gif::holdsPixels(frame))
            continue;
        // Only a frame that is kept is charged.
        records += kFrameRecordBytes;
        largestRect = std::max(largestRect, static_cast<std::uint64_t>(frame.rect.width)
                                                    * static_cast<std::uint64_t>(frame.rect.height));
        if (size + records + largestRect > limits.frameBytes)
            return Status::FramesTooLarge;
        loaded.frames.push_back(FrameRecord{nullptr, frame});
    }
    if (loaded.frames.empty())
        return Status::NoFrames;
    if (loaded.frames.size() == 1) {
        // The one frame that decodes is a still picture at its own place.
        const gif::GifFrame only = loaded.frames.front().frame;
        loaded.frames.clear();
        return DecodeStillFrame(data, size, only, limits, loaded);
    }
    const SharedBytes source = shareBytes(data, size, owned);
    for (FrameRecord& record : loaded.frames)
        record.source = source;
    return Status::Ok;
}

Status LoadGif(const std::uint8_t* data, std::size_t size, const LoadLimits& limits, output::ReadBuffer* owned,
               LoadResult& result)
{
    LoadedPicture& loaded = result.picture;
    loaded.isGif = true;
    const std::optional<gif::LogicalScreen> screen = gif::ReadLogicalScreen(data, size);
    if (!screen) {
        result.outcome.outcome.detail = "the file ends inside its header or global colour table";
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
    if (walked.size() == 1)
        return DecodeStillFrame(data, size, walked.front(), limits, loaded);
    return ExtractFrames(data, size, walked, limits, owned, loaded);
}

// owned: the buffer data lies in, when the frames may keep it instead of a copy.
LoadResult LoadBytes(const std::uint8_t* data, std::size_t size, const LoadLimits& limits, output::ReadBuffer* owned)
{
    LoadResult result;
    result.decoded = true;
    if (data == nullptr || size == 0) {
        result.outcome.outcome = Status::NotAPicture;
        return result;
    }
    Status status = gif::HasGifSignature(data, size) ? LoadGif(data, size, limits, owned, result)
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
    // What the decoder said of a failure stays beside its status.
    Outcome& outcome = result.outcome.outcome;
    outcome = Outcome(status, std::move(outcome.detail));
    return result;
}

}  // namespace

std::string BaseNameOf(const std::filesystem::path& path)
{
    const std::string text = path.string();
    const std::size_t dot = text.rfind('.');
    const std::size_t slash = platform::lastPathSeparator(text);
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    // A name without a dot is all base name: cutting it to nothing would
    // give every such picture the one hidden name ".dob".
    if (dot == std::string::npos || dot < start)
        return text.substr(start);
    return text.substr(start, dot - start);
}

bool HasPictureSignature(const std::uint8_t* data, std::size_t size)
{
    return gif::HasGifSignature(data, size) || decoders::StillFormatOf(data, size).has_value();
}

LoadResult LoadPictureBytes(const std::uint8_t* data, std::size_t size, const LoadLimits& limits)
{
    return LoadBytes(data, size, limits, nullptr);
}

LoadResult LoadPictureFile(const std::filesystem::path& path, output::ReadBuffer& bytes, const LoadLimits& limits)
{
    LoadResult result;
    if (bytes.empty()) {
        result.outcome.outcome = Status::NotAPicture;
    } else {
        // The frames of an animation keep the file's own buffer.
        result = LoadBytes(bytes.data(), bytes.size(), limits, &bytes);
    }
    result.baseName = BaseNameOf(path);
    return result;
}

LoadResult LoadPictureFile(const std::filesystem::path& path, const LoadLimits& limits)
{
    output::InputFile input = output::readInput(path, limits.fileBytes);
    if (!input.state.ok()) {
        LoadResult result;
        result.outcome.outcome = input.state;
        result.baseName = BaseNameOf(path);
        return result;
    }
    return LoadPictureFile(path, input.bytes, limits);
}

std::uint64_t LoadedPicture::heldBytes() const
{
    std::uint64_t bytes = still ? still->image->sizeInBytes() : 0;
    bytes += frames.capacity() * sizeof(FrameRecord);
    if (!frames.empty() && frames.front().source)
        bytes += frames.front().source->size();
    return bytes;
}

}  // namespace pelkora::picture
