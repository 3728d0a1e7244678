// The frames' writes: in order, a bounded few waiting, none lost at the end.
// Named for the playback tests, which also run under ThreadSanitizer.
#include "picture/capture_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace pelkora::picture {
namespace {

TEST(PlaybackWriteQueue, WritesInOrderHoldsAFewAndRunsTheRestWhenGone)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::vector<int> order;
    std::atomic<int> handedOver{0};
    auto write = [&](int n) {
        return [&, n] {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return open; });
            order.push_back(n);
        };
    };
    {
        CaptureQueue queue(2);
        std::thread drawer([&] {
            for (int n = 0; n < 8; ++n) {
                queue.push(write(n));
                ++handedOver;
            }
        });
        // One write runs (held at the gate) and two wait: the fourth push
        // blocks until the gate opens.
        while (handedOver < 3)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(handedOver, 3);
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        changed.notify_all();
        drawer.join();
        queue.push(write(8));
        // Gone with writes still waiting: they run first.
    }
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(PlaybackWriteQueue, DrainWaitsForTheWriteRunning)
{
    CaptureQueue queue;
    std::atomic<bool> done{false};
    queue.push([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        done = true;
    });
    queue.drain();
    EXPECT_TRUE(done);
    queue.drain();  // with nothing handed over: returns at once
}

}  // namespace
}  // namespace pelkora::picture
