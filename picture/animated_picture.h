#pragma once
// The picture control's model: loads a picture file, keeps an animation as a
// list of frames, plays it once on a worker thread, composes every frame on
// an off-screen memory image and captures each drawn frame into a DOB file
// with its playlist line. It is not a widget: a view subscribes to the
// callbacks below and paints snapshot(); headless, nobody does.
//
// The work is the loader's (bytes to pictures), the surface's (composition),
// the writer's (the package) and the pass's (the worker); this front keeps
// what the last load left and the order of calls: LoadFile, then
// ShowPicture once. Every load first finishes an animation still in its
// pass, so every frame of every animation reaches the package.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "output/output_options.h"
#include "picture/animation_pass.h"
#include "picture/capture_writer.h"
#include "picture/picture_loader.h"
#include "picture/surface.h"

namespace pelkora::picture {

// What ShowPicture did.
enum class Shown {
    Nothing,    // no picture is loaded
    Still,      // a still picture was drawn; its capture's outcome goes with it
    Animation,  // the worker started the pass; its captures go to the listener
};

struct ShowResult {
    Shown shown = Shown::Nothing;
    Outcome outcome;  // the still picture's write; EmptySurface when nothing is loaded

    bool stillWritten() const { return shown == Shown::Still && outcome.ok(); }
};

class AnimatedPicture {
public:
    // Remembers workDirectory and workDirectory/adv as the output directory.
    explicit AnimatedPicture(std::filesystem::path workDirectory = std::filesystem::current_path());
    AnimatedPicture(const AnimatedPicture&) = delete;
    AnimatedPicture& operator=(const AnimatedPicture&) = delete;

    // Reads, decodes and prepares the surface. A file that cannot be read
    // leaves the picture before it in place; a failed decode leaves none.
    LoadOutcome LoadFile(const std::filesystem::path& path);
    // The same as LoadFile after the file has been read; the bytes stay the
    // caller's and are not used after the call. The base name stays.
    LoadOutcome LoadMemory(const std::uint8_t* data, std::size_t size);
    // The same for what the loader made elsewhere (another thread, say).
    LoadOutcome LoadDecoded(LoadResult loaded);
    // Draws and captures a still picture, or starts an animation's pass.
    ShowResult ShowPicture();
    // The number of frames of an animation of two or more, else 0.
    int CountAnimationFrames() const;

    // Completes an animation's pass: the frames not yet drawn are drawn and
    // written without waits (none when capture has ended), and this returns
    // once the last is written. Every load does this first; without it, the
    // destruction of the control stops the pass where it is.
    void finishPass();
    // Ends the capture of an animation still in its pass before the output
    // folder is wiped: nothing of it is written afterwards; playback goes on.
    void endCapture();
    // Whether frames of an animation are still to be captured. Call it from
    // the thread that loads.
    bool capturePending();
    // Once nothing is pending: the playlist is let go of until the next
    // capture, so that it can be replaced or moved on every system.
    Outcome closePlaylist();

    // true (the default): the waits between frames are honoured; false: the
    // same frames, files and lines, at once.
    void setRealtime(bool realtime);
    void setViewCallbacks(ViewCallbacks callbacks);
    // Called once per DOB file attempted, on the capturing thread.
    void setCaptureListener(std::function<void(const CaptureEvent&)> listener);
    // Set these while no pass runs (before a load).
    void setCaptureSink(CaptureSink sink);
    void setLimits(const LoadLimits& limits);
    const LoadLimits& limits() const;
    // How captures are written: full frames, dither, fit. Set while no
    // pass runs; the defaults write what was always written.
    void setOutputOptions(const output::OutputOptions& options);
    const output::OutputOptions& outputOptions() const;

    // A copy of the memory image for painting.
    Image snapshot() const;
    int pictureWidth() const;
    int pictureHeight() const;
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
    void BeginLoad();
    // Takes what a load made, after BeginLoad.
    LoadOutcome Install(LoadResult loaded);
    void Reset();

    LoadLimits limits_;
    output::OutputOptions outputOptions_;
    Surface surface_;
    CaptureWriter writer_;
    AnimationPass pass_{surface_, writer_};

    // What the last load left.
    int pictureWidth_ = 0;
    int pictureHeight_ = 0;
    bool isGif_ = false;
    bool isInitialized_ = false;
    std::string baseName_;
    int frameDisplayTime_ = 0;
    std::optional<StillPicture> still_;
    // An animation's frames until ShowPicture hands them to the pass.
    std::vector<FrameRecord> frames_;
    int frameCount_ = 0;
    std::vector<std::string> plannedNames_;
};

}  // namespace pelkora::picture
