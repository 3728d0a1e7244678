// Naming each capture and writing it, through the gate, into the package.
#include "picture/capture_writer.h"

#include <memory>
#include <utility>

#include "output/output_folder.h"
#include "output/playlist.h"

namespace pelkora::picture {

CaptureWriter::CaptureWriter(std::filesystem::path workDirectory)
        : workDirectory_(std::move(workDirectory)), outputDirectory_(output::outputFolderPath(workDirectory_)),
          sink_(output::writeDobFile), playlist_(output::playlistPath(outputDirectory_))
{
}

CaptureWriter::~CaptureWriter() { frames_.drain(); }

// The writes still waiting use the sink and the listener they were handed
// over under.
void CaptureWriter::setSink(CaptureSink sink)
{
    frames_.drain();
    sink_ = sink ? std::move(sink) : CaptureSink(output::writeDobFile);
}

void CaptureWriter::setListener(std::function<void(const CaptureEvent&)> listener)
{
    frames_.drain();
    listener_ = std::move(listener);
}

void CaptureWriter::setOutputOptions(const output::OutputOptions& options) { tone_ = output::toneStepsOf(options); }
const std::filesystem::path& CaptureWriter::outputDirectory() const { return outputDirectory_; }
void CaptureWriter::setNames(CaptureNames names)
{
    names_ = std::move(names);
    std::lock_guard lock(gateMutex_);
    wrapNoted_ = false;
}

std::vector<std::string> CaptureWriter::plannedNames(const std::vector<FrameRecord>& frames) const
{
    if (names_.animationFrames == 0)
        return {output::dobFileName(names_.baseName, 0)};
    // As a pass names them: a frame without area or image is skipped.
    std::vector<std::string> names;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const gif::GifRect& rect = frames[i].frame.rect;
        if (rect.width > 0 && rect.height > 0 && frames[i].source)
            names.push_back(output::dobFileName(names_.baseName, static_cast<int>(i) + 1));
    }
    return names;
}

CaptureWriter::Capture CaptureWriter::captureOf(int dobNumber, output::PlaylistLineForm form,
                                                const Rect& pictureArea) const
{
    return {outputDirectory_ / output::dobFileName(names_.baseName, dobNumber), form, names_.frameDisplayTime,
            tone_, pictureArea};
}

Outcome CaptureWriter::writeStill(const Image& pixels, const Rect& pictureArea)
{
    frames_.drain();
    return write(captureOf(0, output::PlaylistLineForm::StillPicture, pictureArea), pixels);
}

void CaptureWriter::queueFrame(int index, Captured capture)
{
    // The queue holds copyable writes, so the capture goes in shared.
    auto taken = std::make_shared<const std::pair<Capture, Image>>(
            captureOf(index + 1, output::lineFormFor(names_.animationFrames, index), capture.pictureArea),
            std::move(capture.pixels));
    frames_.push([this, taken] { write(taken->first, taken->second); });
}

void CaptureWriter::drain() { frames_.drain(); }

Outcome CaptureWriter::closePlaylist()
{
    frames_.drain();
    std::lock_guard lock(gateMutex_);
    return playlist_.close();
}

void CaptureWriter::openGate()
{
    // A write left over from before is not let in by this load.
    frames_.drain();
    std::lock_guard lock(gateMutex_);
    gateOpen_ = true;
}

void CaptureWriter::shutGate()
{
    // A write in flight holds this lock: once it is ours, none is running
    // and none will start. The writes still waiting see the gate shut and
    // drop their frames; they are gone before this returns.
    {
        std::lock_guard lock(gateMutex_);
        gateOpen_ = false;
    }
    frames_.drain();
}

bool CaptureWriter::gateOpen()
{
    std::lock_guard lock(gateMutex_);
    return gateOpen_;
}

Outcome CaptureWriter::write(const Capture& capture, const Image& pixels)
{
    CaptureEvent event{capture.path, pixels.isNull() ? Outcome(Status::CannotWrite) : Outcome(), {}};
    {
        std::lock_guard lock(gateMutex_);
        if (!gateOpen_)
            return Status::Ok;
        if (event.outcome.ok()) {
            auto warn = [&event](Outcome warning) { event.warnings.push_back(std::move(warning)); };
            const output::DobTarget target{capture.path,
                                           outputDirectory_,
                                           workDirectory_,
                                           capture.form,
                                           capture.frameDisplayTime,
                                           capture.tone,
                                           warn,
                                           &playlist_,
                                           !wrapNoted_,
                                           capture.pictureArea};
            event.outcome = sink_(target, pixels.view());
            // One note for a picture stands for all its frames.
            wrapNoted_ = wrapNoted_ || !output::headerWrapNote(pixels.width(), pixels.height()).empty();
        }
    }
    if (listener_)
        listener_(event);
    return event.outcome;
}

}  // namespace pelkora::picture
