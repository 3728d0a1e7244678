// The animation's one pass on the worker thread.
#include "picture/player.h"

#include "picture/frame_timing.h"

namespace pelkora::picture {

Player::Player(FrameCapture& stage) : stage_(stage) {}

Player::~Player() { stop(); }

void Player::load(std::vector<FrameRecord> frames)
{
    stop();
    frames_ = std::move(frames);
    currentFrame_ = 0;
}

void Player::start()
{
    join();
    worker_ = std::thread([this] { play(); });
}

void Player::stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    join();
    std::lock_guard lock(mutex_);
    stop_ = false;
    hurry_ = false;
}

void Player::completePass(bool capturing)
{
    if (!worker_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        // With nothing left to write there is nothing to hurry for.
        if (capturing)
            hurry_ = true;
        else
            stop_ = true;
    }
    wake_.notify_all();
    join();
}

void Player::join()
{
    if (worker_.joinable())
        worker_.join();
}

bool Player::running() const { return worker_.joinable(); }

void Player::setRealtime(bool realtime)
{
    std::lock_guard lock(mutex_);
    realtime_ = realtime;
}

void Player::play()
{
    if (frames_.empty())
        return;
    stage_.dispose(frames_[static_cast<std::size_t>(currentFrame_)]);
    while (!stopRequested()) {
        const FrameRecord& frame = frames_[static_cast<std::size_t>(currentFrame_)];
        if (frame.source) {
            stage_.drawFrame(frame, currentFrame_);
            if (stopRequested() || !waitFrameDelay(frame))
                return;
            stage_.dispose(frame);
        }
        if (++currentFrame_ == static_cast<int>(frames_.size()))
            finishPass();
    }
}

void Player::finishPass()
{
    currentFrame_ = 0;
    stage_.finishPass();
    std::lock_guard lock(mutex_);
    stop_ = true;
}

bool Player::stopRequested()
{
    std::lock_guard lock(mutex_);
    return stop_;
}

bool Player::waitFrameDelay(const FrameRecord& frame)
{
    std::unique_lock lock(mutex_);
    if (realtime_ && !hurry_)
        wake_.wait_for(lock, frameWait(frame.frame.delay), [this] { return stop_ || hurry_; });
    return !stop_;
}

}  // namespace pelkora::picture
