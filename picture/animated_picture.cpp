// The picture control's front: the order of loads and shows over the
// loader, the surface, the writer and the pass.
#include "picture/animated_picture.h"

#include <utility>

#include "picture/output_cost.h"

namespace pelkora::picture {

AnimatedPicture::AnimatedPicture(std::filesystem::path workDirectory) : writer_(std::move(workDirectory)) {}

LoadOutcome AnimatedPicture::LoadFile(const std::filesystem::path& path)
{
    BeginLoad();
    return Install(LoadPictureFile(path, limits_));
}

LoadOutcome AnimatedPicture::LoadMemory(const std::uint8_t* data, std::size_t size)
{
    BeginLoad();
    return Install(LoadPictureBytes(data, size, limits_));
}

void AnimatedPicture::BeginLoad()
{
    // The animation still in its pass is written whole, and the new picture
    // is captured.
    pass_.finish();
    writer_.openGate();
}

LoadOutcome AnimatedPicture::LoadDecoded(LoadResult loaded)
{
    BeginLoad();
    return Install(std::move(loaded));
}

LoadOutcome AnimatedPicture::Install(LoadResult loaded)
{
    if (loaded.baseName)
        baseName_ = std::move(*loaded.baseName);
    // A file that could not be read leaves the picture before it in place.
    if (!loaded.decoded)
        return std::move(loaded.outcome);
    Reset();
    LoadedPicture& picture = loaded.picture;
    isGif_ = picture.isGif;
    if (picture.width)
        pictureWidth_ = *picture.width;
    if (picture.height)
        pictureHeight_ = *picture.height;
    if (picture.frameDisplayTime)
        frameDisplayTime_ = *picture.frameDisplayTime;
    if (!loaded.outcome.ok())
        return std::move(loaded.outcome);

    const int animationFrames = picture.isAnimation() ? static_cast<int>(picture.frames.size()) : 0;
    const SurfaceShape shape{pictureWidth_, pictureHeight_, picture.backgroundColor, picture.fullSize};
    // Refused before the surface is made: the screen alone may be large.
    if (animationFrames > 0) {
        if (auto refusal = outputCostRefusal(picture.frames, shape, outputOptions_)) {
            loaded.outcome.outcome = Outcome(Status::OutputTooLarge, std::move(*refusal));
            return std::move(loaded.outcome);
        }
    }
    if (Outcome prepared = surface_.prepare(shape); !prepared.ok()) {
        loaded.outcome.outcome = std::move(prepared);
        return std::move(loaded.outcome);
    }
    writer_.setNames({baseName_, frameDisplayTime_, animationFrames});
    isInitialized_ = true;
    still_ = std::move(picture.still);
    frameCount_ = static_cast<int>(picture.frames.size());
    if (animationFrames > 0 || still_)
        plannedNames_ = writer_.plannedNames(picture.frames);
    frames_ = std::move(picture.frames);
    return std::move(loaded.outcome);
}

void AnimatedPicture::Reset()
{
    frames_.clear();
    still_.reset();
    surface_.clear();
    isInitialized_ = false;
    isGif_ = false;
    frameCount_ = 0;
    plannedNames_.clear();
}

ShowResult AnimatedPicture::ShowPicture()
{
    if (!isInitialized_)
        return {Shown::Nothing, Status::EmptySurface};
    if (CountAnimationFrames() > 0) {
        // Played once: a second show without a load draws nothing.
        if (!frames_.empty())
            pass_.start(std::exchange(frames_, {}));
        return {Shown::Animation, Status::Ok};
    }
    if (!still_)
        return {Shown::Nothing, Status::EmptySurface};
    const Surface::StillCapture capture = surface_.showStill(*still_);
    return {Shown::Still, writer_.writeStill(capture.pixels, capture.pictureArea)};
}

void AnimatedPicture::finishPass() { pass_.finish(); }
void AnimatedPicture::endCapture() { writer_.shutGate(); }
bool AnimatedPicture::capturePending() { return pass_.pending(); }
Outcome AnimatedPicture::closePlaylist() { return writer_.closePlaylist(); }

void AnimatedPicture::setRealtime(bool realtime) { pass_.setRealtime(realtime); }
void AnimatedPicture::setViewCallbacks(ViewCallbacks callbacks) { surface_.setViewCallbacks(std::move(callbacks)); }
void AnimatedPicture::setCaptureListener(std::function<void(const CaptureEvent&)> listener)
{
    writer_.setListener(std::move(listener));
}
void AnimatedPicture::setCaptureSink(CaptureSink sink) { writer_.setSink(std::move(sink)); }
void AnimatedPicture::setLimits(const LoadLimits& limits)
{
    limits_ = limits;
    limits_.fit = outputOptions_.fit;
    surface_.setLimits(limits_);
}
const LoadLimits& AnimatedPicture::limits() const { return limits_; }
void AnimatedPicture::setOutputOptions(const output::OutputOptions& options)
{
    outputOptions_ = options;
    // Pictures are decoded for the fit the surface makes, never another; a
    // fill crops, so it needs more of the picture than the fit's box holds.
    limits_.fit = options.fill ? std::nullopt : options.fit;
    limits_.matte = options.background.value_or(LoadLimits{}.matte);
    surface_.setOutputOptions(options);
    writer_.setOutputOptions(options);
}
const output::OutputOptions& AnimatedPicture::outputOptions() const { return outputOptions_; }

Image AnimatedPicture::snapshot() const { return surface_.snapshot(); }
int AnimatedPicture::pictureWidth() const { return pictureWidth_; }
int AnimatedPicture::pictureHeight() const { return pictureHeight_; }
std::vector<std::string> AnimatedPicture::plannedOutputNames() const { return plannedNames_; }
bool AnimatedPicture::isGif() const { return isGif_; }
int AnimatedPicture::frameCount() const { return frameCount_; }
int AnimatedPicture::frameDisplayTime() const { return frameDisplayTime_; }
const std::string& AnimatedPicture::baseName() const { return baseName_; }
const std::filesystem::path& AnimatedPicture::outputDirectory() const { return writer_.outputDirectory(); }

int AnimatedPicture::CountAnimationFrames() const { return isGif_ && frameCount_ >= 2 ? frameCount_ : 0; }

}  // namespace pelkora::picture
