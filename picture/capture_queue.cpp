#include "picture/capture_queue.h"

#include <algorithm>
#include <utility>

namespace pelkora::picture {

CaptureQueue::CaptureQueue(std::size_t depth) : depth_(std::max<std::size_t>(depth, 1)) {}

CaptureQueue::~CaptureQueue()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void CaptureQueue::push(std::function<void()> write)
{
    std::unique_lock lock(mutex_);
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
    changed_.wait(lock, [this] { return waiting_.size() < depth_; });
    waiting_.push_back(std::move(write));
    lock.unlock();
    changed_.notify_all();
}

void CaptureQueue::drain()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.empty() && !running_; });
}

void CaptureQueue::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        // What was handed over is written even when stopping: it was drawn
        // while capture was on, and a drawn frame is never dropped here.
        changed_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
        if (waiting_.empty())
            return;
        std::function<void()> write = std::move(waiting_.front());
        waiting_.pop_front();
        running_ = true;
        lock.unlock();
        changed_.notify_all();
        write();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace pelkora::picture
