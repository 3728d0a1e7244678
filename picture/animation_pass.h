#pragma once
// The one owner of an animation's pass: a worker thread that draws every
// frame on the surface, hands each capture to the writer and waits its
// delay between frames. The frames are handed over by value when the pass
// starts and are the worker's alone; what both sides touch is the request
// to it (stop, hurry, the pace), under one lock with one condition.
//
// A pass is started once after a load and finished once where it must be
// complete: finish() draws and writes the rest without waits while capture
// is on, ends it at once when the gate is shut, and returns once the last
// frame is written. Going away without finish() stops the worker where it
// is: frames not yet drawn are not captured.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "picture/capture_writer.h"
#include "picture/picture_loader.h"
#include "picture/surface.h"

namespace pelkora::picture {

class AnimationPass {
public:
    AnimationPass(Surface& surface, CaptureWriter& writer);
    // Wakes the worker from its wait and joins it.
    ~AnimationPass();
    AnimationPass(const AnimationPass&) = delete;
    AnimationPass& operator=(const AnimationPass&) = delete;

    // Finishes any pass before, then plays these frames once.
    void start(std::vector<FrameRecord> frames);
    void finish();
    // Whether frames are still to be captured: a worker runs and the gate
    // is open. Call it from the thread that starts and finishes.
    bool pending();
    // true (the default): the waits between frames are honoured; false: none.
    void setRealtime(bool realtime);

private:
    void play(const std::vector<FrameRecord>& frames);
    // One frame drawn and handed over; false when a stop came meanwhile.
    bool playFrame(const FrameRecord& frame, int index);
    bool stopRequested();
    // false when a stop ended the wait.
    bool waitFrameDelay(const FrameRecord& frame);
    void join();

    Surface& surface_;
    CaptureWriter& writer_;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool hurry_ = false;  // draw the rest of the pass without waits
    bool realtime_ = true;
    std::thread worker_;
};

}  // namespace pelkora::picture
