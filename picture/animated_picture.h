#pragma once
// The picture control's model: loads a picture file, keeps an animation as a
// list of frames, plays it once on a worker thread, composes every frame on
// an off-screen memory image and captures each drawn frame into a DOB file
// with its playlist line. It is not a widget: a view subscribes to the
// callbacks below and paints snapshot(); headless, nobody does.
//
// Calling order: LoadFile, then ShowPicture once. Every LoadFile (and the
// destructor) first completes the capture of an animation still in its pass,
// so every frame of every animation reaches the package.

#include <filesystem>
#include <functional>
#include <string>

#include <QImage>

#include "output/status.h"

namespace pelkora::picture {

struct CaptureEvent {
    std::filesystem::path dobPath;
    Status status = Status::Ok;  // Ok, CannotWrite or CannotWriteIndex
};

struct ViewCallbacks {
    // May fire on the worker thread; a view must re-post to its own thread.
    std::function<void(int width, int height)> resized;
    std::function<void()> repaint;
};

class AnimatedPicture {
public:
    // Remembers workDirectory and workDirectory/adv as the output directory.
    explicit AnimatedPicture(std::filesystem::path workDirectory = std::filesystem::current_path());
    ~AnimatedPicture();
    AnimatedPicture(const AnimatedPicture&) = delete;
    AnimatedPicture& operator=(const AnimatedPicture&) = delete;

    // 1 when the file was read, decoded and its surface prepared; else 0,
    // with the reason in lastStatus().
    int LoadFile(const std::filesystem::path& path);
    // 1 when a still picture was drawn and captured; 0 otherwise (an
    // animation starts its worker and returns 0).
    int ShowPicture();
    void StopPlayback();
    int CountAnimationFrames() const;

    // Ends the capture of an animation still in its pass before the output
    // folder is wiped: nothing of it is written afterwards; playback may go on.
    void EndCapture();
    // Blocks until the worker (if any) has ended its pass.
    void WaitForPass();

    // true (the default): the waits between frames are honoured; false: the
    // same frames, files and lines, at once.
    void setRealtime(bool realtime);
    void setViewCallbacks(ViewCallbacks callbacks);
    // Called once per DOB file attempted, on the capturing thread.
    void setCaptureListener(std::function<void(const CaptureEvent&)> listener);

    // A copy of the memory image for painting, taken under the drawing lock.
    QImage snapshot() const;
    int pictureWidth() const;
    int pictureHeight() const;
    Status lastStatus() const;

private:
    struct State;
    State* state_;
};

}  // namespace pelkora::picture
