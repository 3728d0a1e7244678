#pragma once
// Plays an animation's one pass on a worker thread: draws each frame on the
// stage, which captures it, and waits its delay between frames. The frames
// are handed over whole before the worker starts and are the worker's alone
// while it runs; the requests to it (stop, hurry, the pace) are the only
// state both sides touch, under one lock.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "picture/frame_capture.h"
#include "picture/picture_loader.h"

namespace pelkora::picture {

class Player {
public:
    explicit Player(FrameCapture& stage);
    // Stops the worker at once (it wakes from its wait) and joins it.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Stops any worker, then takes these frames; the pass starts at the first.
    void load(std::vector<FrameRecord> frames);
    // Waits for a pass still running to end, then plays from where the last
    // pass left off.
    void start();
    // Ends the worker at once and joins it; what it had not drawn is not.
    void stop();
    // Ends the worker after the rest of its pass is drawn without waits when
    // capturing, at once otherwise.
    void completePass(bool capturing);
    void join();
    bool running() const;
    // true: the waits between frames are honoured; false: none.
    void setRealtime(bool realtime);

private:
    void play();
    bool stopRequested();
    // false when a stop ended the wait.
    bool waitFrameDelay(const FrameRecord& frame);
    void finishPass();

    FrameCapture& stage_;
    // The worker's while it runs; touched here only when it does not.
    std::vector<FrameRecord> frames_;
    int currentFrame_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool hurry_ = false;  // draw the rest of the pass without waits
    bool realtime_ = true;
    std::thread worker_;
};

}  // namespace pelkora::picture
