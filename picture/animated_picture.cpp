// Construction, loading and the off-screen surface of the picture control.
#include "picture/animated_picture.h"

#include <system_error>

#include <QColor>

#include "gif/frame_walker.h"
#include "gif/gif_scanner.h"
#include "output/playlist.h"
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

}  // namespace

AnimatedPicture::AnimatedPicture(std::filesystem::path workDirectory)
    : workDirectory_(std::move(workDirectory)),
      outputDirectory_(output::outputFolderPath(workDirectory_)),
      captureSink_(output::writeDobFile)
{
}

AnimatedPicture::~AnimatedPicture()
{
    CompletePass();
    Reset();
}

int AnimatedPicture::fail(Status status)
{
    lastStatus_ = status;
    return 0;
}

int AnimatedPicture::LoadFile(const std::filesystem::path& path)
{
    BeginLoad();
    RememberBaseName(path);

    // A file that cannot be read leaves the picture before it in place.
    const FileBytes file = readWholeFile(path, limits_.fileBytes);
    if (file.status != Status::Ok)
        return fail(file.status);
    if (file.bytes.empty())
        return fail(Status::NotAPicture);
    return LoadBytes(file.bytes.data(), file.bytes.size());
}

void AnimatedPicture::BeginLoad()
{
    // The animation still in its pass is written whole, and the new picture
    // is captured.
    CompletePass();
    StopPlayback();
    std::lock_guard lock(captureMutex_);
    captureEnabled_ = true;
}

void AnimatedPicture::RememberBaseName(const std::filesystem::path& path)
{
    const std::string text = path.string();
    const std::size_t dot = text.rfind('.');
    const std::size_t slash = text.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    // A name without a dot is all base name: cutting it to nothing would
    // give every such picture the one hidden name ".dob".
    if (dot == std::string::npos || dot < start)
        baseName_ = text.substr(start);
    else
        baseName_ = text.substr(start, dot - start);
}

int AnimatedPicture::LoadMemory(const std::uint8_t* data, std::size_t size)
{
    BeginLoad();
    return LoadBytes(data, size);
}

int AnimatedPicture::LoadBytes(const std::uint8_t* data, std::size_t size)
{
    Reset();
    lastDetail_.clear();
    loadMessages_.clear();
    if (data == nullptr || size == 0)
        return fail(Status::NotAPicture);
    Status status = gif::HasGifSignature(data, size) ? LoadGif(data, size) : LoadOtherPicture(data, size);
    if (status == Status::Ok)
        status = PrepareSurface(pictureWidth_, pictureHeight_);
    if (status != Status::Ok) {
        // A failed load leaves the control empty.
        picture_.reset();
        frames_.clear();
        return fail(status);
    }
    lastStatus_ = Status::Ok;
    return 1;
}

Status AnimatedPicture::LoadOtherPicture(const std::uint8_t* data, std::size_t size)
{
    DecodedStill still = DecodeStill(data, size, limits_.surfaceBytes, kMenuColor);
    loadMessages_ = std::move(still.messages);
    lastDetail_ = std::move(still.reason);
    if (still.status != Status::Ok)
        return still.status;
    pictureWidth_ = still.image.width();
    pictureHeight_ = still.image.height();
    picture_ = StillPicture{std::move(still.image), 0, 0};
    return Status::Ok;
}

Status AnimatedPicture::LoadGif(const std::uint8_t* data, std::size_t size)
{
    isGif_ = true;
    const std::optional<gif::LogicalScreen> screen = gif::ReadLogicalScreen(data, size);
    if (!screen) {
        lastDetail_ = "the file ends inside its header or global colour table";
        return Status::BrokenPicture;
    }
    pictureWidth_ = screen->width;
    pictureHeight_ = screen->height;
    // Refused before any frame is decoded: a huge screen costs nothing yet.
    if (const Status fits = checkSurfaceSize(pictureWidth_, pictureHeight_, limits_.surfaceBytes); fits != Status::Ok)
        return fits;

    // One walk: its frames are both the count and what is decoded.
    std::vector<gif::GifFrame> walked;
    gif::FrameWalker walker(data, size, screen->globalColorTableSize);
    while (std::optional<gif::GifFrame> frame = walker.nextFrame())
        walked.push_back(*frame);
    if (walked.empty())
        return Status::NoFrames;
    if (walked.size() == 1) {
        DecodedGifImage image = DecodeGifImage(data, size, limits_.frameBytes);
        if (image.status != Status::Ok)
            return image.status == Status::NotAPicture ? Status::NoFrames : image.status;
        picture_ = StillPicture{std::move(image.image), image.left, image.top};
        return Status::Ok;
    }
    return ExtractFrames(data, size, walked);
}

Status AnimatedPicture::ExtractFrames(const std::uint8_t* data, std::size_t size,
                                     const std::vector<gif::GifFrame>& walked)
{
    std::uint64_t budget = limits_.frameBytes;
    for (const gif::GifFrame& frame : walked) {
        FrameRecord record;
        record.delay = frame.delay;
        record.disposal = frame.disposal;
        // A plain text frame repeats the rectangle of the frame before it.
        record.width = frame.rect.width;
        record.height = frame.rect.height;
        record.left = frame.rect.left;
        record.top = frame.rect.top;
        frameDisplayTime_ = displayTimeOf(record.delay);
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
        frames_.push_back(std::move(record));
    }
    if (frames_.empty())
        return Status::NoFrames;
    if (frames_.size() == 1) {
        // The one frame that decoded is a still picture at its own place.
        FrameRecord& only = frames_.front();
        picture_ = StillPicture{std::move(only.picture), only.left, only.top};
        frames_.clear();
    }
    return Status::Ok;
}

Status AnimatedPicture::PrepareSurface(int width, int height)
{
    if (const Status fits = checkSurfaceSize(width, height, limits_.surfaceBytes); fits != Status::Ok)
        return fits;
    QImage surface(width, height, QImage::Format_RGB32);
    if (surface.isNull())
        return Status::SurfaceTooLarge;
    surface.fill(QColor(QRgb(kMenuColor)));
    {
        std::lock_guard lock(drawMutex_);
        memoryImage_ = std::move(surface);
    }
    backgroundColor_ = kButtonFaceColor;
    isInitialized_ = true;
    if (view_.resized)
        view_.resized(width, height);
    return Status::Ok;
}

void AnimatedPicture::Reset()
{
    StopPlayback();
    picture_.reset();
    frames_.clear();
    frames_.shrink_to_fit();
    {
        std::lock_guard lock(drawMutex_);
        memoryImage_ = QImage();
        backgroundImage_.reset();
    }
    isInitialized_ = false;
    isGif_ = false;
    currentFrame_ = 0;
    backgroundColor_ = 0xFFFFFF;
}

void AnimatedPicture::setRealtime(bool realtime) { realtime_ = realtime; }
void AnimatedPicture::setViewCallbacks(ViewCallbacks callbacks) { view_ = std::move(callbacks); }
void AnimatedPicture::setCaptureListener(std::function<void(const CaptureEvent&)> listener)
{
    captureListener_ = std::move(listener);
}
void AnimatedPicture::setCaptureSink(CaptureSink sink)
{
    captureSink_ = sink ? std::move(sink) : CaptureSink(output::writeDobFile);
}
void AnimatedPicture::setLimits(const LoadLimits& limits) { limits_ = limits; }
void AnimatedPicture::setOutputOptions(const output::OutputOptions& options) { outputOptions_ = options; }
const output::OutputOptions& AnimatedPicture::outputOptions() const { return outputOptions_; }

QImage AnimatedPicture::snapshot() const
{
    std::lock_guard lock(drawMutex_);
    return memoryImage_.copy();
}

int AnimatedPicture::pictureWidth() const { return pictureWidth_; }
int AnimatedPicture::pictureHeight() const { return pictureHeight_; }
Status AnimatedPicture::lastStatus() const { return lastStatus_; }
std::string AnimatedPicture::lastReason() const
{
    std::string reason = statusText(lastStatus_);
    if (lastStatus_ != Status::Ok && !lastDetail_.empty())
        reason += " (" + lastDetail_ + ")";
    return reason;
}
const std::vector<std::string>& AnimatedPicture::loadMessages() const { return loadMessages_; }

std::vector<std::string> AnimatedPicture::plannedOutputNames() const
{
    std::vector<std::string> names;
    if (!isInitialized_)
        return names;
    // As the capture names them; a frame or picture without area is skipped.
    if (CountAnimationFrames() > 0) {
        for (std::size_t i = 0; i < frames_.size(); ++i) {
            if (frames_[i].width > 0 && frames_[i].height > 0 && !frames_[i].picture.isNull())
                names.push_back(output::dobPathFor(frameCapturePath(static_cast<int>(i) + 1)).filename().string());
        }
    } else if (picture_ && pictureWidth_ > 0 && pictureHeight_ > 0) {
        names.push_back(output::dobPathFor(stillCapturePath()).filename().string());
    }
    return names;
}
bool AnimatedPicture::isGif() const { return isGif_; }
int AnimatedPicture::frameCount() const { return static_cast<int>(frames_.size()); }
int AnimatedPicture::frameDisplayTime() const { return frameDisplayTime_; }
const std::string& AnimatedPicture::baseName() const { return baseName_; }
const std::filesystem::path& AnimatedPicture::outputDirectory() const { return outputDirectory_; }

int AnimatedPicture::CountAnimationFrames() const
{
    return isGif_ && frames_.size() >= 2 ? static_cast<int>(frames_.size()) : 0;
}

}  // namespace pelkora::picture
