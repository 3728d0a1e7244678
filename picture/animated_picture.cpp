// The picture control's front: the order of loads, shows and stops over the
// loader, the player and the stage.
#include "picture/animated_picture.h"

namespace pelkora::picture {

AnimatedPicture::AnimatedPicture(std::filesystem::path workDirectory)
        : stage_(std::move(workDirectory)), player_(stage_)
{
}

AnimatedPicture::~AnimatedPicture()
{
    CompletePass();
    Reset();
}

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
    CompletePass();
    StopPlayback();
    stage_.enableCapture();
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
    const CapturePlan plan{baseName_,         pictureWidth_,  pictureHeight_, picture.backgroundColor,
                           frameDisplayTime_, animationFrames};
    if (Outcome prepared = stage_.prepare(plan); !prepared.ok()) {
        loaded.outcome.outcome = std::move(prepared);
        return std::move(loaded.outcome);
    }
    isInitialized_ = true;
    still_ = std::move(picture.still);
    frameCount_ = static_cast<int>(picture.frames.size());
    if (animationFrames > 0 || still_)
        plannedNames_ = stage_.plannedNames(plan, picture.frames);
    player_.load(std::move(picture.frames));
    return std::move(loaded.outcome);
}

void AnimatedPicture::Reset()
{
    player_.load({});
    still_.reset();
    stage_.clear();
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
        player_.start();
        return {Shown::Animation, Status::Ok};
    }
    if (!still_)
        return {Shown::Nothing, Status::EmptySurface};
    return {Shown::Still, stage_.showStill(*still_)};
}

// Once the pass has stopped, what it drew is written before these return.
void AnimatedPicture::StopPlayback()
{
    player_.stop();
    stage_.waitForWrites();
}

void AnimatedPicture::CompletePass()
{
    if (player_.running())
        player_.completePass(stage_.capturing());
    stage_.waitForWrites();
}

void AnimatedPicture::EndCapture() { stage_.endCapture(); }

void AnimatedPicture::WaitForPass()
{
    player_.join();
    stage_.waitForWrites();
}

bool AnimatedPicture::capturePending()
{
    // A pass that ran to its end has ended capture; a stopped one was joined.
    return player_.running() && stage_.capturing();
}

void AnimatedPicture::setRealtime(bool realtime) { player_.setRealtime(realtime); }
void AnimatedPicture::setViewCallbacks(ViewCallbacks callbacks) { stage_.setViewCallbacks(std::move(callbacks)); }
void AnimatedPicture::setCaptureListener(std::function<void(const CaptureEvent&)> listener)
{
    stage_.setListener(std::move(listener));
}
void AnimatedPicture::setCaptureSink(CaptureSink sink) { stage_.setSink(std::move(sink)); }
void AnimatedPicture::setLimits(const LoadLimits& limits)
{
    limits_ = limits;
    stage_.setLimits(limits);
}
const LoadLimits& AnimatedPicture::limits() const { return limits_; }
void AnimatedPicture::setOutputOptions(const output::OutputOptions& options) { stage_.setOutputOptions(options); }
const output::OutputOptions& AnimatedPicture::outputOptions() const { return stage_.outputOptions(); }

Image AnimatedPicture::snapshot() const { return stage_.snapshot(); }
int AnimatedPicture::pictureWidth() const { return pictureWidth_; }
int AnimatedPicture::pictureHeight() const { return pictureHeight_; }
std::vector<std::string> AnimatedPicture::plannedOutputNames() const { return plannedNames_; }
bool AnimatedPicture::isGif() const { return isGif_; }
int AnimatedPicture::frameCount() const { return frameCount_; }
int AnimatedPicture::frameDisplayTime() const { return frameDisplayTime_; }
const std::string& AnimatedPicture::baseName() const { return baseName_; }
const std::filesystem::path& AnimatedPicture::outputDirectory() const { return stage_.outputDirectory(); }

int AnimatedPicture::CountAnimationFrames() const { return isGif_ && frameCount_ >= 2 ? frameCount_ : 0; }

}  // namespace pelkora::picture
