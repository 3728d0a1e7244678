#include "session/session.h"

#include <utility>

#include "output/names.h"
#include "output/output_folder.h"
#include "output/playlist.h"
#include "output/previous_package.h"

namespace pelkora::session {

Session::Session(std::filesystem::path workDirectory, ConversionOptions options)
        : workDirectory_(std::move(workDirectory)), picture_(workDirectory_),
          converter_(picture_, workDirectory_, std::move(options), report_)
{
    // Captures of an animation arrive on its writing thread.
    picture_.setCaptureListener([this](const picture::CaptureEvent& event) { converter_.captured(event); });
}

Session::~Session() { finish(); }

void Session::finish()
{
    picture_.finishPass();
    writeLock_.reset();
}

CommandResult Session::begin() const
{
    CommandResult result;
    result.failuresBefore = report_.failures().size();
    result.warningsBefore = report_.warnings().size();
    return result;
}

int Session::filesWrittenSince(int before) const { return report_.filesWritten() - before; }

bool Session::takeWriteLock(bool create)
{
    if (writeLock_ && writeLock_->held()) {
        return true;
    }
    writeLock_ = converter_.lockOutputFolder(create);
    return writeLock_->held();
}

// The playlist is edited, emptied and moved by whole-file replacement and
// renames, which Windows refuses while a handle holds the file open.
void Session::closePlaylist()
{
    const Outcome closed = picture_.closePlaylist();
    if (!closed.ok())
        report_.record(output::playlistPath(output::outputFolderPath(workDirectory_)), closed);
}

bool Session::releaseWriteLockWhenCaptured()
{
    if (picture_.capturePending()) {
        return false;
    }
    closePlaylist();
    writeLock_.reset();
    return true;
}

bool Session::writeLockHeld() const { return writeLock_ && writeLock_->held(); }

CommandResult Session::prepareStartup(const std::optional<std::filesystem::path>& sourceFolder)
{
    CommandResult result = begin();
    result.refused = sourceFolder && !converter_.checkSourceFolder(*sourceFolder);
    if (!result.refused) {
        // Nothing of an earlier picture may land after the folder is emptied.
        picture_.finishPass();
        result.refused = !takeWriteLock(true) || !converter_.prepareOutputFolder();
        followMovedFolder();
    }
    return result;
}

CommandResult Session::convertFolder(const std::filesystem::path& sourceFolder,
                                     const output::OutputOptions& outputOptions, const Progress& progress)
{
    picture_.finishPass();
    picture_.setOutputOptions(outputOptions);
    CommandResult result = begin();
    const int filesBefore = report_.filesWritten();
    if (!takeWriteLock(true)) {
        result.refused = true;
        return result;
    }
    converter_.convertFolder(sourceFolder, progress);
    result.filesWritten = filesWrittenSince(filesBefore);
    return result;
}

AddResult Session::addFile(const std::filesystem::path& file, Converter::AddRun run,
                           const output::OutputOptions& outputOptions, const std::function<void()>& loading)
{
    // The animation before is written whole first (as the load would), so
    // that the options change only between pictures.
    picture_.finishPass();
    picture_.setOutputOptions(outputOptions);
    AddResult result;
    static_cast<CommandResult&>(result) = begin();
    const int filesBefore = report_.filesWritten();
    if (!takeWriteLock(true)) {
        result.refused = true;
        return result;
    }
    if (loading) {
        loading();
    }
    const Converter::Added added = converter_.addFile(file, run);
    result.isPicture = added.asPicture;
    result.load = added.pictureLoad;
    result.animationPlaying = result.isPicture && picture_.CountAnimationFrames() > 0;
    if (result.isPicture && !result.animationPlaying) {
        result.dobPath = picture_.outputDirectory() / output::dobFileName(picture_.baseName(), 0);
    }
    result.filesWritten = filesWrittenSince(filesBefore);
    return result;
}

CommandResult Session::addFiles(const std::vector<std::filesystem::path>& files)
{
    CommandResult result = begin();
    const int filesBefore = report_.filesWritten();
    if (!takeWriteLock(true)) {
        result.refused = true;
        return result;
    }
    converter_.addFiles(files);
    result.filesWritten = filesWrittenSince(filesBefore);
    return result;
}

PlaylistMark Session::markPlaylist() const
{
    return session::markPlaylist(output::outputFolderPath(workDirectory_));
}

void Session::settleAdd(const PlaylistMark& mark, bool replace)
{
    picture_.finishPass();
    closePlaylist();
    if (writeLockHeld())
        session::settleAdd(output::outputFolderPath(workDirectory_), mark, replace, report_);
}

DeleteResult Session::deleteAll()
{
    DeleteResult result;
    static_cast<CommandResult&>(result) = begin();
    // A missing folder is left missing, and there is nothing to lock.
    if (!takeWriteLock(false)) {
        result.refused = true;
        return result;
    }
    // Nothing of an animation still in its pass lands after the wipe.
    picture_.endCapture();
    result.deleted = converter_.deleteAll();
    followMovedFolder();
    return result;
}

CommandResult Session::restorePrevious()
{
    CommandResult result = begin();
    const std::filesystem::path folder = output::outputFolderPath(workDirectory_);
    std::error_code error;
    if (std::filesystem::is_directory(folder, error) && !takeWriteLock(false)) {
        result.refused = true;
        return result;
    }
    // Nothing of an animation still in its pass lands in the swapped folders.
    picture_.endCapture();
    closePlaylist();
    const output::KeptPackage restored = output::restorePrevious(folder);
    result.refused = !restored.outcome.ok();
    if (restored.outcome.status == Status::NoSuchFolder)
        report_.record(output::previousFolderPath(folder).filename(), Status::NothingKept);
    else if (result.refused)
        report_.record(output::previousFolderPath(folder).filename(), restored.outcome);
    followMovedFolder();
    return result;
}

void Session::followMovedFolder()
{
    // The folder kept as the previous package took the lock along: the
    // new folder is locked before the old one is let go of.
    if (writeLock_ && writeLock_->held() && !writeLock_->namesFolder()) {
        output::FolderLock fresh = converter_.lockOutputFolder(true);
        writeLock_ = std::move(fresh);
    }
}

}  // namespace pelkora::session
