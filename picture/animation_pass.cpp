// An animation's one pass on its worker thread.
#include "picture/animation_pass.h"

#include <optional>
#include <utility>

#include "picture/frame_timing.h"

namespace pelkora::picture {

AnimationPass::AnimationPass(Surface& surface, CaptureWriter& writer) : surface_(surface), writer_(writer) {}

AnimationPass::~AnimationPass()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    join();
}

void AnimationPass::start(std::vector<FrameRecord> frames)
{
    finish();
    worker_ = std::thread([this, frames = std::move(frames)] { play(frames); });
}

void AnimationPass::finish()
{
    if (worker_.joinable()) {
        // With nothing left to write there is nothing to hurry for.
        const bool capturing = writer_.gateOpen();
        {
            std::lock_guard lock(mutex_);
            (capturing ? hurry_ : stop_) = true;
        }
        wake_.notify_all();
        join();
    }
    writer_.drain();
    std::lock_guard lock(mutex_);
    stop_ = false;
    hurry_ = false;
}

bool AnimationPass::pending()
{
    // A pass that ran to its end has shut the gate.
    return worker_.joinable() && writer_.gateOpen();
}

void AnimationPass::setRealtime(bool realtime)
{
    std::lock_guard lock(mutex_);
    realtime_ = realtime;
}

void AnimationPass::play(const std::vector<FrameRecord>& frames)
{
    if (frames.empty())
        return;
    surface_.dispose(frames.front());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (stopRequested() || !playFrame(frames[i], static_cast<int>(i)))
            return;
    }
    // Every frame drawn is written before the gate shuts behind the pass.
    writer_.drain();
    writer_.shutGate();
    surface_.clearToBackground();
}

bool AnimationPass::playFrame(const FrameRecord& frame, int index)
{
    if (!frame.source)
        return true;
    surface_.drawFrame(frame);
    if (std::optional<Captured> captured = surface_.captureFrame(frame))
        writer_.queueFrame(index, std::move(*captured));
    if (stopRequested() || !waitFrameDelay(frame))
        return false;
    surface_.dispose(frame);
    return true;
}

bool AnimationPass::stopRequested()
{
    std::lock_guard lock(mutex_);
    return stop_;
}

bool AnimationPass::waitFrameDelay(const FrameRecord& frame)
{
    std::unique_lock lock(mutex_);
    if (realtime_ && !hurry_)
        wake_.wait_for(lock, frameWait(frame.frame.delay), [this] { return stop_ || hurry_; });
    return !stop_;
}

void AnimationPass::join()
{
    if (worker_.joinable())
        worker_.join();
}

}  // namespace pelkora::picture
