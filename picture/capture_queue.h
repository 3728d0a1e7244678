#pragma once
// The writes of an animation's captures, run on one thread of their own in
// the order they were handed over, so that drawing the next frame and
// encoding and writing this one overlap. Only a few wait at a time: handing
// over more blocks until one is done, which bounds the pixels held.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pelkora::picture {

class CaptureQueue {
public:
    explicit CaptureQueue(std::size_t depth = 3);
    // Runs what is still waiting, then joins the thread.
    ~CaptureQueue();
    CaptureQueue(const CaptureQueue&) = delete;
    CaptureQueue& operator=(const CaptureQueue&) = delete;

    // The thread starts with the first write, so a control that never
    // animates never has one.
    void push(std::function<void()> write);
    // Returns once every write handed over has run.
    void drain();

private:
    void run();

    const std::size_t depth_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> waiting_;
    bool running_ = false;  // a write is out of the queue and not yet done
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace pelkora::picture
