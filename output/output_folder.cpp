// Where the output lies, how the folder is prepared and emptied, and which
// source folders may be converted into it.

#include <set>
#include <system_error>
#include <vector>

#include "output/output_folder.h"
#include "platform/ancestry.h"
#include "platform/files.h"

namespace pelkora::output {

namespace fs = std::filesystem;

fs::path outputFolderPath(const fs::path& workDirectory) { return workDirectory / kOutputFolderName; }

fs::path playlistPath(const fs::path& outputDirectory) { return outputDirectory / kPlaylistFileName; }

fs::path timingSettingsPath(const fs::path& workDirectory) { return workDirectory / kTimingSettingsFileName; }

fs::path batchFilePath(const fs::path& workDirectory) { return workDirectory / kBatchFileName; }

namespace {

// Removing while listing: a file system may skip an entry or two of a
// folder that changes under its listing, so a folder is listed again until
// a listing removes nothing. A bound keeps a folder that someone keeps
// filling from holding the run for ever.
constexpr int kMaxListings = 16;

// How far emptying reaches. A folder reached through a link may be shared
// with anything else the user keeps there, so only its own files go then:
// its subfolders and links stay, and nothing beyond them is touched.
enum class Reach { Tree, OwnFilesOnly };

class FolderEmptier {
public:
    FolderEmptier(const DeleteFailureFunction& onFailure, Reach reach) : onFailure_(onFailure), reach_(reach) {}

    // Whether an entry of that kind (judged as itself, never as what a link
    // leads to) is a file to remove; folders are the walk's concern.
    bool removable(const fs::file_status& status) const
    {
        return fs::exists(status) && !fs::is_directory(status)
               && !(reach_ == Reach::OwnFilesOnly && fs::is_symlink(status));
    }

    void removeFile(const fs::path& file)
    {
        if (failed_.count(file) != 0)
            return;
        std::error_code error;
        if (fs::remove(file, error)) {
            ++count_.deleted;
            return;
        }
        // Gone already is not a failure.
        if (error)
            fail(file, Outcome(Status::CannotDelete, error));
    }

    // Removes the files directly in folder; its subfolders are left to the
    // caller, in subfolders.
    void emptyOne(const fs::path& folder, std::set<fs::path>& subfolders)
    {
        for (int listing = 0; listing < kMaxListings; ++listing) {
            const int deletedBefore = count_.deleted;
            std::error_code error;
            fs::directory_iterator it(folder, error);
            for (; !error && it != fs::directory_iterator(); it.increment(error)) {
                std::error_code ignored;
                // symlink_status: a link is judged as the link itself, so a
                // link to a folder is removed, never entered.
                const fs::file_status status = it->symlink_status(ignored);
                if (fs::is_directory(status)) {
                    if (reach_ == Reach::Tree)
                        subfolders.insert(it->path());
                } else if (removable(status)) {
                    removeFile(it->path());
                }
            }
            if (error) {
                fail(folder, Outcome(Status::CannotListFolder, error));
                return;
            }
            if (count_.deleted == deletedBefore)
                return;
        }
    }

    const DeletionCount& count() const { return count_; }

private:
    void fail(const fs::path& path, const Outcome& outcome)
    {
        if (!failed_.insert(path).second)
            return;
        ++count_.failed;
        if (onFailure_)
            onFailure_(path, outcome);
    }

    const DeleteFailureFunction& onFailure_;
    const Reach reach_;
    DeletionCount count_;
    std::set<fs::path> failed_;  // reported once, not tried again
};

}  // namespace

Outcome ensureOutputFolder(const fs::path& folder)
{
    std::error_code cause;
    if (platform::makeFolder(folder, cause))
        return Status::Ok;
    if (cause != std::errc::file_exists)
        return Outcome(Status::CannotCreateFolder, cause);
    platform::FileStatus status;
    if (!platform::statusOf(folder, platform::Links::Follow, status, cause))
        return Outcome(Status::CannotCreateFolder, cause);
    if (status.kind != platform::EntryKind::Folder)
        return Outcome(Status::CannotCreateFolder, std::make_error_code(std::errc::not_a_directory));
    return Status::Ok;
}

DeletionCount deleteFolderContents(const fs::path& folder, const DeleteFailureFunction& onFailure)
{
    std::error_code error;
    const Reach reach = fs::is_symlink(fs::symlink_status(folder, error)) ? Reach::OwnFilesOnly : Reach::Tree;
    FolderEmptier emptier(onFailure, reach);
    const fs::path playlist = playlistPath(folder);
    if (emptier.removable(fs::symlink_status(playlist, error)))
        emptier.removeFile(playlist);

    // A list of folders still to visit instead of recursion: the depth of
    // the tree then costs neither stack nor open folder handles.
    std::vector<fs::path> pending{folder};
    while (!pending.empty()) {
        const fs::path current = std::move(pending.back());
        pending.pop_back();
        std::set<fs::path> subfolders;
        emptier.emptyOne(current, subfolders);
        pending.insert(pending.end(), subfolders.begin(), subfolders.end());
    }
    return emptier.count();
}

Outcome prepareOutputFolder(const fs::path& folder, const DeleteFailureFunction& onFailure)
{
    std::error_code error;
    if (fs::is_directory(fs::status(folder, error)))
        return deleteFolderContents(folder, onFailure).failed == 0 ? Outcome(Status::Ok)
                                                                   : Outcome(Status::CannotDelete);
    return ensureOutputFolder(folder);
}

Outcome checkSourceFolder(const fs::path& source, const fs::path& outputFolder)
{
    platform::FileStatus status;
    std::error_code cause;
    if (!platform::statusOf(source, platform::Links::Follow, status, cause)) {
        const bool missing = cause == std::errc::no_such_file_or_directory || cause == std::errc::not_a_directory;
        return Outcome(missing ? Status::NoSuchFolder : Status::CannotListFolder, cause);
    }
    if (status.kind != platform::EntryKind::Folder)
        return Status::NotAFolder;
    std::error_code error;
    const fs::directory_iterator listing(source, error);
    if (error)
        return Outcome(Status::CannotListFolder, error);
    // A place that cannot be told is refused: emptying the output folder
    // would otherwise risk the very files about to be converted.
    switch (platform::ancestryOf(source, outputFolder, cause)) {
    case platform::Ancestry::Inside:
        return Status::SourceInOutput;
    case platform::Ancestry::Unknown:
        return Outcome(Status::SourcePlaceUnknown, cause);
    case platform::Ancestry::Outside:
        break;
    }
    return Status::Ok;
}

}  // namespace pelkora::output
