#include "session/status_strip.h"

#include <cctype>

namespace pelkora::session {

namespace {

std::string nameOf(const std::filesystem::path& path)
{
    const std::string name = path.filename().string();
    return name.empty() ? path.string() : name;
}

std::string counted(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string pictureWrittenText(const std::filesystem::path& dobPath) { return nameOf(dobPath) + " written"; }

std::string framesWrittenText(const std::string& baseName, int frames)
{
    return baseName + ": " + counted(frames, "frame", "frames") + " written";
}

std::string pagesWrittenText(int pages) { return counted(pages, "text page", "text pages") + " written"; }

std::string filesDeletedText(int files) { return "DeleteAll: " + counted(files, "file", "files") + " deleted"; }

std::string failureText(const ReportEntry& entry) { return nameOf(entry.input) + ": " + entry.reason(); }

namespace {

bool hasPictureName(const std::filesystem::path& file)
{
    std::string extension = file.extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* known : {".bmp", ".gif", ".png", ".jpg", ".jpeg", ".ico", ".webp", ".tif", ".tiff"}) {
        if (extension == known)
            return true;
    }
    return false;
}

}  // namespace

std::string addedText(const std::filesystem::path& file, const AddResult& added,
                      const std::vector<ReportEntry>& failures)
{
    const bool failed = failures.size() > added.failuresBefore;
    if (added.isPicture)
        return failed ? failureText(failures[added.failuresBefore]) : pictureWrittenText(added.dobPath);
    std::string line;
    // A picture by its name that did not decode is paged as a text, which
    // says nothing of why; say it here, the status alone: the decoder's
    // words would crowd the line.
    if (hasPictureName(file) && !added.load.ok())
        line = failureText({file, added.load.status}) + "; paged as text: ";
    if (!failed)
        return line + pagesWrittenText(added.filesWritten);
    line += failureText(failures[added.failuresBefore]);
    if (added.filesWritten > 0)
        line += "; " + pagesWrittenText(added.filesWritten);
    return line;
}

std::string withWrapWarning(std::string line, const std::vector<ReportEntry>& warnings, std::size_t before)
{
    for (std::size_t i = before; i < warnings.size(); ++i) {
        if (warnings[i].outcome.status == Status::HeaderWraps)
            return line + "; " + warnings[i].text();
    }
    return line;
}

std::string withOptionsUsed(std::string line, const output::OutputOptions& options)
{
    const std::string used = output::describeOptions(options);
    return used.empty() ? line : line + " (" + used + ")";
}

std::string restoredText(const CommandResult& result, const std::vector<ReportEntry>& failures)
{
    return failures.size() > result.failuresBefore ? failureText(failures[result.failuresBefore])
                                                   : std::string("Previous package restored");
}

std::string batchEndedText(const std::string& name, bool crashed, int exitStatus)
{
    if (crashed) {
        return name + " ended abnormally";
    }
    if (exitStatus == 0) {
        return name + " finished";
    }
    return name + " exited with status " + std::to_string(exitStatus);
}

void CommandStatus::set(std::string text)
{
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
    following_ = false;
    failures_.clear();
}

void CommandStatus::followAnimation(std::string baseName)
{
    std::lock_guard lock(mutex_);
    following_ = true;
    baseName_ = std::move(baseName);
    framesWritten_ = 0;
    failures_.clear();
    wrapWarning_.clear();
}

void CommandStatus::frameCaptured(const picture::CaptureEvent& event)
{
    std::lock_guard lock(mutex_);
    if (!following_) {
        return;
    }
    for (const Outcome& warning : event.warnings) {
        if (wrapWarning_.empty() && warning.status == Status::HeaderWraps)
            wrapWarning_ = outcomeText(warning);
    }
    if (event.outcome.ok()) {
        ++framesWritten_;
    } else {
        // Short for the strip: the status alone, without the system's words.
        failures_.push_back(failureText({event.dobPath, event.outcome.status}));
    }
}

std::string CommandStatus::text() const
{
    std::lock_guard lock(mutex_);
    if (!following_) {
        return text_;
    }
    std::string line = framesWrittenText(baseName_, framesWritten_);
    // The first failure names its file; the rest are only counted.
    if (!failures_.empty()) {
        line += "; " + failures_.front();
        if (failures_.size() > 1) {
            line += " (and " + std::to_string(failures_.size() - 1) + " more)";
        }
    }
    if (!wrapWarning_.empty())
        line += "; " + wrapWarning_;
    return line;
}

}  // namespace pelkora::session
