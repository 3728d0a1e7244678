#pragma once
// Where the captures of a loaded picture go: each becomes a DOB file, named
// after the picture's base name and its frame number, with its playlist
// line. A still picture is written at once; an animation's frames are handed
// over by value and written in order on a thread of their own, so that
// drawing the next frame and writing this one overlap. A gate ends capture:
// once it is shut, nothing more lands in the output folder until the next
// picture opens it.

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "output/dob_writer.h"
#include "output/output_options.h"
#include "output/playlist_appender.h"
#include "picture/capture_queue.h"
#include "picture/fit_scaling.h"
#include "picture/picture_loader.h"

namespace pelkora::picture {

struct CaptureEvent {
    std::filesystem::path dobPath;
    Outcome outcome;                // Ok, CannotWrite or CannotWriteIndex, with the system's reason
    std::vector<Outcome> warnings;  // written, but perhaps not as meant
};

// Where a capture goes; writeDobFile by default. Called on the writing
// thread, one call at a time per writer. A sink may return a bare Status.
using CaptureSink = std::function<Outcome(const output::DobTarget&, const output::PixelView&)>;

// What the captures of one loaded picture are named and written with.
struct CaptureNames {
    std::string baseName;
    int frameDisplayTime = 0;
    int animationFrames = 0;  // 0 for a still picture
};

class CaptureWriter {
public:
    // Writes into workDirectory/adv.
    explicit CaptureWriter(std::filesystem::path workDirectory);
    // What was handed over is written first.
    ~CaptureWriter();
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Set these while nothing is handed over; what waits is written first.
    void setSink(CaptureSink sink);
    void setListener(std::function<void(const CaptureEvent&)> listener);
    // The grey steps decide how a capture is written.
    void setOutputOptions(const output::OutputOptions& options);
    const std::filesystem::path& outputDirectory() const;

    // The picture just loaded; set while nothing is handed over.
    void setNames(CaptureNames names);
    // The DOB names that a still picture or these frames are written as.
    std::vector<std::string> plannedNames(const std::vector<FrameRecord>& frames) const;

    // A still picture's capture, written before this returns (after any
    // frame still on its way, as its line comes after).
    Outcome writeStill(const Image& pixels, const Rect& pictureArea = {});
    // Frame number index (from 0), written in its turn; a null image is
    // reported as not written.
    void queueFrame(int index, Captured capture);
    // Returns once everything handed over is written (or dropped, with the
    // gate shut).
    void drain();
    // Lets go of the playlist's descriptor until the next line: Windows
    // cannot replace, delete or move a file some handle holds open.
    // CannotWriteIndex when the system reports only now that a write failed.
    Outcome closePlaylist();

    // Every load lets captures through again.
    void openGate();
    // Waits out a write in flight; none is written after it.
    void shutGate();
    bool gateOpen();

private:
    // One capture on its way: what was drawn, and where and how it is
    // written, fixed when it was handed over.
    struct Capture {
        std::filesystem::path path;  // the DOB file
        output::PlaylistLineForm form;
        int frameDisplayTime = 0;
        output::ToneSteps tone;
        Rect pictureArea;
    };
    Capture captureOf(int dobNumber, output::PlaylistLineForm form, const Rect& pictureArea) const;
    Outcome write(const Capture& capture, const Image& pixels);

    std::filesystem::path workDirectory_;
    std::filesystem::path outputDirectory_;
    CaptureSink sink_;
    std::function<void(const CaptureEvent&)> listener_;
    output::ToneSteps tone_;
    CaptureNames names_;

    // A write in flight holds this lock, so shutGate waits it out.
    std::mutex gateMutex_;
    bool gateOpen_ = true;
    // Whether this picture's header wrap was told; used under gateMutex_.
    bool wrapNoted_ = false;
    // Every line the captures add, through one descriptor; used only under
    // gateMutex_.
    output::PlaylistAppender playlist_;

    CaptureQueue frames_;
};

}  // namespace pelkora::picture
