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

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QImage>

#include "gif/gif_frame.h"
#include "output/dob_writer.h"
#include "output/output_options.h"
#include "core/status.h"

namespace pelkora::picture {

struct CaptureEvent {
    std::filesystem::path dobPath;
    Status status = Status::Ok;  // Ok, CannotWrite or CannotWriteIndex
    std::vector<std::string> warnings;  // written, but perhaps not as meant
    std::error_code cause;       // the system's reason for a failed write
};

struct ViewCallbacks {
    // May fire on the worker thread; a view must re-post to its own thread.
    std::function<void(int width, int height)> resized;
    std::function<void()> repaint;
};

// Where a capture goes; writeDobFile by default. Called on the capturing
// thread, one call at a time per control. A sink may return a bare Status.
using CaptureSink = std::function<Outcome(const output::DobTarget&, const output::PixelView&)>;

// What one load may ask of memory. A small GIF can announce gigabytes
// (LZW expands up to about 2700:1), so every size is checked before it is
// allocated.
struct LoadLimits {
    std::uint64_t fileBytes = std::uint64_t{1} << 30;     // the file read whole
    std::uint64_t surfaceBytes = std::uint64_t{256} << 20;  // 4 bytes a pixel
    std::uint64_t frameBytes = std::uint64_t{1} << 30;    // all decoded frames together, records included
};

// One decoded frame of an animation, kept at its own rectangle's size.
struct FrameRecord {
    QImage picture;  // ARGB32 premultiplied; transparent pixels have alpha 0
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int delay = -1;  // hundredths of a second, -1 without a graphic control extension
    int disposal = 0;
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
    // The same as LoadFile after the file has been read; the bytes stay the
    // caller's and are not used after the call.
    int LoadMemory(const std::uint8_t* data, std::size_t size);
    // 1 when a still picture was drawn and captured; 0 otherwise (an
    // animation starts its worker and returns 0).
    int ShowPicture();
    // Ends the worker at once (it wakes from its wait) and joins it: frames
    // not yet drawn are not captured. To keep them, use CompletePass.
    void StopPlayback();
    // Ends the worker after it has composed and written the rest of its pass
    // without waits (or at once when capture is already over). Every load and
    // the destructor do this first.
    void CompletePass();
    int CountAnimationFrames() const;

    // Ends the capture of an animation still in its pass before the output
    // folder is wiped: nothing of it is written afterwards; playback may go on.
    void EndCapture();
    // Blocks until the worker (if any) has ended its pass.
    void WaitForPass();
    // Whether frames of an animation are still to be captured: its worker
    // runs and capture has not ended. Call it from the thread that loads.
    bool capturePending();

    // true (the default): the waits between frames are honoured; false: the
    // same frames, files and lines, at once.
    void setRealtime(bool realtime);
    void setViewCallbacks(ViewCallbacks callbacks);
    // Called once per DOB file attempted, on the capturing thread.
    void setCaptureListener(std::function<void(const CaptureEvent&)> listener);
    // Set these while no worker runs (before a load).
    void setCaptureSink(CaptureSink sink);
    void setLimits(const LoadLimits& limits);
    // How captures are written: full frames, dither, fit. Set while no
    // worker runs; the defaults write what was always written.
    void setOutputOptions(const output::OutputOptions& options);
    const output::OutputOptions& outputOptions() const;

    // A copy of the memory image for painting, taken under the drawing lock.
    QImage snapshot() const;
    int pictureWidth() const;
    int pictureHeight() const;
    Status lastStatus() const;
    // lastStatus() in words, with the decoder's own reason where it gave one.
    std::string lastReason() const;
    // What the decoder said during the last load that did not stop it.
    const std::vector<std::string>& loadMessages() const;
    // After a load: the names of the DOB files that ShowPicture will write,
    // in the order it writes them.
    std::vector<std::string> plannedOutputNames() const;
    bool isGif() const;
    // Decoded frames in the list (0 for a still picture).
    int frameCount() const;
    int frameDisplayTime() const;
    const std::string& baseName() const;
    const std::filesystem::path& outputDirectory() const;

private:
    // A still picture (or a one-frame GIF) and where it lands on the surface.
    struct StillPicture {
        QImage image;
        int left = 0;
        int top = 0;
    };

    // Loading (animated_picture.cpp).
    void BeginLoad();
    int LoadBytes(const std::uint8_t* data, std::size_t size);
    void RememberBaseName(const std::filesystem::path& path);
    Status LoadGif(const std::uint8_t* data, std::size_t size);
    Status LoadOtherPicture(const std::uint8_t* data, std::size_t size);
    Status ExtractFrames(const std::uint8_t* data, std::size_t size, const std::vector<gif::GifFrame>& walked);
    Status PrepareSurface(int width, int height);
    void Reset();
    int fail(Status status);

    // Playback and capture (playback.cpp).
    void PlaybackThreadMain();
    void PlayFrames();
    void DrawFrame(const FrameRecord& frame);
    void SaveBackground(const FrameRecord& frame);
    void ApplyDisposal(const FrameRecord& frame);
    // false when a stop ended the wait.
    bool WaitFrameDelay(const FrameRecord& frame);
    bool stopRequested();
    void FinishPass();
    void CaptureRect(int left, int top, int width, int height, const std::filesystem::path& capturePath,
                     output::PlaylistLineForm form);
    QImage fitCapture(const QImage& capture, int left, int top) const;
    std::filesystem::path stillCapturePath() const;
    std::filesystem::path frameCapturePath(int frameNumber) const;
    void fireRepaint() const;
    void joinWorker();

    // State of the control. Loading touches it only while no worker runs.
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    std::uint32_t backgroundColor_ = 0xFFFFFF;
    int currentFrame_ = 0;  // the worker's while it runs
    bool isGif_ = false;
    bool isInitialized_ = false;
    std::string baseName_;
    int frameDisplayTime_ = 0;
    std::filesystem::path workDirectory_;
    std::filesystem::path outputDirectory_;
    std::optional<StillPicture> picture_;
    std::vector<FrameRecord> frames_;
    Status lastStatus_ = Status::Ok;
    std::string lastDetail_;
    std::vector<std::string> loadMessages_;
    LoadLimits limits_;
    output::OutputOptions outputOptions_;

    // The memory image (memoryDC) and the saved area under a disposal-3
    // frame; drawn by the worker, copied by snapshot() on the UI thread.
    mutable std::mutex drawMutex_;
    QImage memoryImage_;
    std::optional<QImage> backgroundImage_;

    // Stop requests and the waits between frames (exitEvent).
    std::mutex controlMutex_;
    std::condition_variable exitEvent_;
    bool exitFlag_ = false;
    bool hurry_ = false;  // compose the rest of the pass without waits
    std::atomic<bool> isPlaying_{false};
    std::atomic<bool> realtime_{true};
    std::thread worker_;

    // A capture in flight holds this lock, so EndCapture waits it out.
    std::mutex captureMutex_;
    bool captureEnabled_ = true;

    ViewCallbacks view_;
    std::function<void(const CaptureEvent&)> captureListener_;
    CaptureSink captureSink_;
};

}  // namespace pelkora::picture
