#pragma once
// The one line along the bottom of the dialog that says what the last
// command did: what it wrote, or why it failed and with which file. An
// animation's frames arrive one by one on its worker, so the line of an
// animation counts them as they are written.

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "session/conversion.h"
#include "session/session.h"
#include "picture/animated_picture.h"

namespace pelkora::session {

// "logo.dob written"
std::string pictureWrittenText(const std::filesystem::path& dobPath);
// "anim: 6 frames written"
std::string framesWrittenText(const std::string& baseName, int frames);
// "12 text pages written"
std::string pagesWrittenText(int pages);
// "DeleteAll: 31 files deleted"
std::string filesDeletedText(int files);
// "notes.txt: Cant find file!"; the folder part of the input is left out.
std::string failureText(const ReportEntry& entry);
// What an Add that was not refused and left no animation playing wrote, or
// its first failure after failures[added.failuresBefore - 1].
std::string addedText(const std::filesystem::path& file, const AddResult& added,
                      const std::vector<ReportEntry>& failures);
// line with the first warning among warnings[before...] that a picture's
// header wraps ("...; big.dob: ...: 300x20 is stored as 44x20"): the device
// shows such a picture wrongly, which the line must not hide.
std::string withWrapWarning(std::string line, const std::vector<ReportEntry>& warnings, std::size_t before);
// line, and the output options it was written with when any is on:
// "logo.dob written (dither, fit 128x64)".
std::string withOptionsUsed(std::string line, const output::OutputOptions& options);
// What a restore of the previous package did: "Previous package restored",
// or its first failure after failures[result.failuresBefore - 1].
std::string restoredText(const CommandResult& result, const std::vector<ReportEntry>& failures);
// A batch file's end: "adv.bat finished", or "adv.bat exited with status 3".
std::string batchEndedText(const std::string& name, bool crashed, int exitStatus);

// The state of the line, shared by the UI thread and an animation's worker.
class CommandStatus {
public:
    // A new command: whatever an earlier animation counted is forgotten.
    void set(std::string text);
    // The animation now playing: its frames are counted from here on.
    void followAnimation(std::string baseName);
    // One DOB file of the followed animation attempted (worker thread).
    void frameCaptured(const picture::CaptureEvent& event);
    std::string text() const;

private:
    mutable std::mutex mutex_;
    std::string text_;
    bool following_ = false;
    std::string baseName_;
    int framesWritten_ = 0;
    std::vector<std::string> failures_;
    std::string wrapWarning_;  // the followed animation's first frame stored with a wrapped header
};

}  // namespace pelkora::session
