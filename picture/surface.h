#pragma once
// The off-screen memory image every picture and frame is composed on: a
// still picture drawn once, an animation's frames drawn in order with each
// one's disposal before the next, and the captures copied off it (fitted
// when the options ask). An animation's worker draws on it while a view
// takes snapshots, so every touch of the pixels is under one lock.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "core/image.h"
#include "core/status.h"
#include "output/output_options.h"
#include "picture/fit_scaling.h"
#include "picture/gif_frame_decoder.h"
#include "picture/picture_loader.h"

namespace pelkora::picture {

struct ViewCallbacks {
    // May fire on the worker thread; a view must re-post to its own thread.
    std::function<void(int width, int height)> resized;
    std::function<void()> repaint;
};

// What a loaded picture's surface is.
struct SurfaceShape {
    int width = 0;
    int height = 0;
    std::uint32_t backgroundColor = 0xFFFFFF;  // what disposals and the end of a pass clear to
    // A still picture decoded smaller than it is: its own size, which a fit
    // scales from, so that it lands as the full picture would.
    std::optional<output::Size> fullSize;
};

class Surface {
public:
    Surface() = default;
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Set these while nothing draws.
    void setViewCallbacks(ViewCallbacks callbacks);
    // Bounds what a capture may allocate beyond the surface.
    void setLimits(const LoadLimits& limits);
    // Full frames, fit, fill and background decide what a capture holds;
    // set before prepare.
    void setOutputOptions(const output::OutputOptions& options);

    // A fresh surface in the menu colour; SurfaceTooLarge when it cannot be made.
    Outcome prepare(const SurfaceShape& shape);
    // Drops the surface and any saved background.
    void clear();
    // A copy of the memory image for painting.
    Image snapshot() const;

    // A still picture's capture, good until the next still picture.
    struct StillCapture {
        const Image& pixels;
        Rect pictureArea;  // as Captured has it
    };
    // Draws a still picture and returns its capture: the whole surface,
    // fitted as asked; a null image when none can hold it.
    StillCapture showStill(const StillPicture& still);
    // Draws one frame of a pass, saving what a disposal-3 frame covers.
    void drawFrame(const FrameRecord& frame);
    // What the frame just drawn is captured as: its own rectangle (the whole
    // surface for full frames), fitted as asked; a null image when none can
    // hold it; nothing when the rectangle is empty.
    std::optional<Captured> captureFrame(const FrameRecord& frame) const;
    // Undoes a drawn frame as its disposal asks, before the next is drawn.
    void dispose(const FrameRecord& frame);
    // The end of a pass: the whole surface in the background colour.
    void clearToBackground();

private:
    // The rectangle off the memory image into into (reused when its size
    // fits); CannotWrite when no image can hold it.
    Outcome copyOut(const Rect& wanted, Image& into) const;
    // Scaled into the bounds the options ask for, then centred on the
    // screen when asked (a null image when the result cannot be made);
    // nothing when it is written as it is.
    std::optional<Captured> fitIfAsked(const Image& capture, int left, int top) const;
    std::optional<Captured> scaleIfAsked(const Image& capture, int left, int top) const;
    // The whole surface, or the screen for --fit: letterboxed or filled.
    Captured fitWhole(const Image& capture) const;
    // What the margins around a fitted or centred picture are filled with.
    std::uint32_t marginColor() const;
    // What is drawn on (under the lock): a shared still becomes a surface of
    // its own first.
    Image& drawable();
    const Image& surface() const;
    void fireRepaint() const;

    ViewCallbacks view_;
    LoadLimits limits_;
    output::OutputOptions options_;
    SurfaceShape shape_;  // set by prepare, while nothing draws

    // The memory image and the saved area under a disposal-3 frame; drawn by
    // the worker, copied by snapshot() on the UI thread.
    mutable std::mutex mutex_;
    Image memoryImage_;
    // A still picture that covers the whole surface is the surface, shared
    // with the loaded picture instead of copied; memoryImage_ is unused then.
    std::shared_ptr<const Image> sharedSurface_;
    std::optional<Image> backgroundImage_;

    // Used by drawFrame alone, on the one thread that draws the pass.
    FrameIndexDecoder frameDecoder_;
    // A still picture's capture, kept for the next one; only the thread that
    // shows stills uses them.
    Image stillCapture_;
    Captured fittedStill_;
};

}  // namespace pelkora::picture
