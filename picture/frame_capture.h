#pragma once
// The stage of the picture control: the off-screen memory image every
// picture and frame is composed on (with the disposal of the frame before),
// and the capture of what was drawn into a DOB file with its playlist line.
// The player draws on it from its worker while a view takes snapshots.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "output/dob_writer.h"
#include "output/output_options.h"
#include "output/playlist_appender.h"
#include "picture/capture_queue.h"
#include "picture/gif_frame_decoder.h"
#include "picture/picture_loader.h"

namespace pelkora::picture {

struct CaptureEvent {
    std::filesystem::path dobPath;
    Outcome outcome;                // Ok, CannotWrite or CannotWriteIndex, with the system's reason
    std::vector<Outcome> warnings;  // written, but perhaps not as meant
};

struct ViewCallbacks {
    // May fire on the worker thread; a view must re-post to its own thread.
    std::function<void(int width, int height)> resized;
    std::function<void()> repaint;
};

// Where a capture goes; writeDobFile by default. Called on the capturing
// thread, one call at a time per control. A sink may return a bare Status.
using CaptureSink = std::function<Outcome(const output::DobTarget&, const output::PixelView&)>;

// What the captures of one loaded picture are named and written with.
struct CapturePlan {
    std::string baseName;
    int width = 0;
    int height = 0;
    std::uint32_t backgroundColor = 0xFFFFFF;
    int frameDisplayTime = 0;
    int animationFrames = 0;  // 0 for a still picture
};

class FrameCapture {
public:
    // Writes into workDirectory/adv.
    explicit FrameCapture(std::filesystem::path workDirectory);
    FrameCapture(const FrameCapture&) = delete;
    FrameCapture& operator=(const FrameCapture&) = delete;

    // Set these while no worker draws.
    void setOutputOptions(const output::OutputOptions& options);
    const output::OutputOptions& outputOptions() const;
    void setSink(CaptureSink sink);
    void setListener(std::function<void(const CaptureEvent&)> listener);
    void setViewCallbacks(ViewCallbacks callbacks);
    // Bounds what a capture may allocate beyond the surface.
    void setLimits(const LoadLimits& limits);
    const std::filesystem::path& outputDirectory() const;

    // A fresh surface in the menu colour for the picture just loaded;
    // SurfaceTooLarge when it cannot be made.
    Outcome prepare(const CapturePlan& plan);
    // Drops the surface and any saved background.
    void clear();
    // A copy of the memory image for painting, taken under the drawing lock.
    Image snapshot() const;

    // Draws a still picture and captures the whole surface.
    Outcome showStill(const StillPicture& still);
    // One step of an animation's pass: draws frame number index (from 0),
    // saving what a disposal-3 frame covers, and captures it.
    void drawFrame(const FrameRecord& frame, int index);
    // Undoes a drawn frame as its disposal asks, before the next is drawn.
    void dispose(const FrameRecord& frame);
    // The pass is over: nothing more is captured and the surface is cleared.
    void finishPass();

    // Every load captures again.
    void enableCapture();
    // Waits out a capture in flight; none is written after it.
    void endCapture();
    bool capturing();
    // Returns once every frame drawn so far is written (or dropped, with
    // capture off).
    void waitForWrites();

    // The DOB names that a still picture or the frames would be written as.
    std::vector<std::string> plannedNames(const CapturePlan& plan, const std::vector<FrameRecord>& frames) const;

private:
    // One capture on its way to the sink: what was drawn, and where and how
    // it is written, fixed when it was taken.
    struct Capture {
        Image pixels;  // a frame's own; a still's are handed to writeCapture beside it
        std::filesystem::path path;  // the DOB file
        output::PlaylistLineForm form;
        int frameDisplayTime = 0;
        bool dither = false;
    };
    // The rectangle off the memory image into into (reused when its size
    // fits); CannotWrite when no image can hold it.
    Outcome takeCapture(const Rect& wanted, Image& into) const;
    // Scaled into the bounds the output options ask for (a null image when
    // the scaled one cannot be made); nothing when it is written as it is.
    std::optional<Image> fitIfAsked(const Image& capture, int left, int top) const;
    Outcome writeCapture(const Capture& capture, const Image& pixels);
    // What is drawn on (under the drawing lock): a shared still becomes a
    // surface of this stage's own first.
    Image& drawable();
    const Image& surface() const;
    void fireRepaint() const;

    std::filesystem::path workDirectory_;
    std::filesystem::path outputDirectory_;
    output::OutputOptions outputOptions_;
    LoadLimits limits_;
    CaptureSink sink_;
    std::function<void(const CaptureEvent&)> listener_;
    ViewCallbacks view_;
    CapturePlan plan_;  // set by prepare, while no worker draws

    // The memory image (memoryDC) and the saved area under a disposal-3
    // frame; drawn by the worker, copied by snapshot() on the UI thread.
    mutable std::mutex drawMutex_;
    Image memoryImage_;
    // A still picture that covers the whole surface is the surface, shared
    // with the loaded picture instead of copied; memoryImage_ is unused then.
    std::shared_ptr<const Image> sharedSurface_;
    std::optional<Image> backgroundImage_;

    // Used by drawFrame alone, on the one thread that draws the pass.
    FrameIndexDecoder frameDecoder_;
    // What a still picture's capture copies off the memory image, kept for
    // the next one; only the thread that shows stills uses it.
    Image stillCapture_;

    // A capture in flight holds this lock, so endCapture waits it out.
    std::mutex captureMutex_;
    bool captureEnabled_ = true;
    // Every line the captures add, through one descriptor; used only under
    // captureMutex_.
    output::PlaylistAppender playlist_;

    // The frames' writes, in drawing order. Last, so that it is the first
    // to go: what still waits is written while the rest of the stage stands.
    CaptureQueue writes_;
};

}  // namespace pelkora::picture
