#pragma once
// One run of the converter: the picture model, the report of what was done
// and the converter over them, and the output folder's write lock. The
// dialog, the start-up progress window and the command line all drive their
// commands through one of these; none of it needs a widget.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "session/conversion.h"
#include "session/readd.h"
#include "core/status.h"
#include "output/folder_lock.h"
#include "output/output_options.h"
#include "picture/animated_picture.h"

namespace pelkora::session {

// Called after every input of a batch: inputs done, inputs found.
using Progress = std::function<void(int done, int found)>;

// What one command did, read off the report around it.
struct CommandResult {
    // Not run at all: the source folder or the output folder's lock refused it.
    bool refused = false;
    // The command's failures are the report's from this index on.
    std::size_t failuresBefore = 0;
    // And its warnings.
    std::size_t warningsBefore = 0;
    // Files written by the time the command returned; an animation may
    // write more afterwards.
    int filesWritten = 0;
};

struct AddResult : CommandResult {
    // Taken as a picture (else paged as a text).
    bool isPicture = false;
    // How the picture model's load ended, whatever it was taken as.
    Outcome load;
    // Frames of an animation still to be written after the call returned.
    bool animationPlaying = false;
    // Where a still picture's DOB went, when it was one.
    std::filesystem::path dobPath;
};

struct DeleteResult : CommandResult {
    int deleted = 0;
};

class Session {
public:
    Session(std::filesystem::path workDirectory, ConversionOptions options);
    // Finishes the run.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Start-up, step one: checks the source folder, when there is one, then
    // locks and empties (or creates) the output folder. A source that cannot
    // be converted is refused before anything is emptied.
    CommandResult prepareStartup(const std::optional<std::filesystem::path>& sourceFolder);
    // Start-up, step two: every "*.bmp", then every "*.txt" of the source,
    // written with the output options, as an Add would write them.
    CommandResult convertFolder(const std::filesystem::path& sourceFolder, const output::OutputOptions& outputOptions,
                                const Progress& progress = {});
    // Add of one file, with the output options it is to be written with.
    // The animation before is written whole first. loading is called just before
    // the file is loaded, once the lock is held: an animation's first frames
    // may be written before this returns.
    AddResult addFile(const std::filesystem::path& file, Converter::AddRun run,
                      const output::OutputOptions& outputOptions, const std::function<void()>& loading = {});
    // Add of several files as one run under one lock, with the options the
    // picture model already has.
    CommandResult addFiles(const std::vector<std::filesystem::path>& files);
    // Before an Add: the playlist as it stands. After it: waits for the
    // captures, then replaces the file's earlier entries or warns of the
    // stale ones (session/readd.h).
    PlaylistMark markPlaylist() const;
    void settleAdd(const PlaylistMark& mark, bool replace);
    // DeleteAll: ends a running capture (the animation plays on, writing
    // nothing), then empties the output folder when it is there and its
    // lock is ours.
    DeleteResult deleteAll();

    // Swaps the output folder with the package kept by the last emptying
    // (output/previous_package.h); refused when none is kept.
    CommandResult restorePrevious();

    // Every command that writes takes the output folder's lock and keeps it
    // after it returns, since an animation's frames may still come; a lock
    // still held is reused, as one process must not take it twice. This
    // lets go of it unless a capture is pending: false when it is still
    // held for one, and the caller asks again later.
    bool releaseWriteLockWhenCaptured();
    bool writeLockHeld() const;
    // The end of a run: an animation still in its pass is written whole,
    // without waits, and the output folder's lock is let go of. Commands
    // may follow; the next one takes the lock again.
    void finish();

    void setWrapWords(bool on) { converter_.setWrapWords(on); }
    picture::AnimatedPicture& picture() { return picture_; }
    const picture::AnimatedPicture& picture() const { return picture_; }
    const ConversionReport& report() const { return report_; }
    const std::filesystem::path& workDirectory() const { return workDirectory_; }

private:
    bool takeWriteLock(bool create);
    void followMovedFolder();
    CommandResult begin() const;
    int filesWrittenSince(int before) const;
    void closePlaylist();

    std::filesystem::path workDirectory_;
    std::optional<output::FolderLock> writeLock_;
    picture::AnimatedPicture picture_;
    ConversionReport report_;
    Converter converter_;
};

}  // namespace pelkora::session
