#include "output/playlist_appender.h"

#include <mutex>

#include "output/output_file.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

// Entries come from the dialog's thread and from an animation's worker at
// once; one lock for the whole process keeps their lines apart.
std::mutex& playlistMutex()
{
    static std::mutex mutex;
    return mutex;
}

// One line into a playlist that is a regular file of its own. Should not
// all of it go in, the part written is taken back, so that the next entry
// does not land on a broken line.
Outcome appendWhole(platform::File& file, std::uint64_t sizeBefore, std::string_view entry)
{
    std::size_t written = 0;
    std::error_code cause;
    if (file.writeAll(entry, written, cause))
        return Status::Ok;
    // Should the cut fail too, the write's cause is still the one to tell.
    if (written > 0)
        static_cast<void>(file.truncate(sizeBefore));
    return Outcome(Status::CannotWriteIndex, cause);
}

// A playlist written whole by a rename fails as the playlist, not as a file.
Outcome asPlaylistWrite(const Outcome& written)
{
    return written.ok() ? written : Outcome(Status::CannotWriteIndex, written.cause);
}

}  // namespace

PlaylistAppender::PlaylistAppender(fs::path playlist) : path_(std::move(playlist)) {}

PlaylistAppender::~PlaylistAppender() = default;

// The name still leads to the very file held, a plain file with no other
// name: the one case where the held file may take the line.
bool PlaylistAppender::heldIsPlaylist(std::uint64_t& size) const
{
    platform::FileStatus status;
    std::error_code ignored;
    if (!file_.isOpen() || !platform::statusOf(path_, platform::Links::Own, status, ignored))
        return false;
    size = status.size;
    return status.kind == platform::EntryKind::Regular && status.identity == identity_ && status.links == 1;
}

Outcome PlaylistAppender::close()
{
    const std::lock_guard lock(playlistMutex());
    std::error_code cause;
    if (file_.close(cause))
        return Status::Ok;
    return Outcome(Status::CannotWriteIndex, cause);
}

Outcome PlaylistAppender::append(std::string_view entry)
{
    const std::lock_guard lock(playlistMutex());
    std::uint64_t size = 0;
    if (heldIsPlaylist(size))
        return appendWhole(file_, size, entry);
    file_ = {};
    return appendFresh(entry);
}

Outcome PlaylistAppender::appendFresh(std::string_view entry)
{
    // Not created here: the first entry creates the file whole, by a
    // rename, so a kill never leaves an empty playlist.
    std::error_code openError;
    platform::File file = platform::openForAppend(path_, openError);
    if (!file.isOpen()) {
        platform::FileStatus entryStatus;
        std::error_code ignored;
        const bool foreign = platform::statusOf(path_, platform::Links::Own, entryStatus, ignored)
                             && entryStatus.kind == platform::EntryKind::Other;
        // A link or a pipe under the playlist's name is replaced, never used.
        if (openError == std::errc::no_such_file_or_directory || foreign)
            return asPlaylistWrite(writeWholeFile(path_, entry));
        return Outcome(Status::CannotWriteIndex, openError);
    }
    platform::FileStatus status;
    if (std::error_code cause; !file.status(status, cause))
        return Outcome(Status::CannotWriteIndex, cause);
    if (status.kind != platform::EntryKind::Regular || status.links != 1) {
        file = {};
        // A device, or a playlist deleted while open elsewhere (a name that
        // Windows keeps until the last handle goes), is replaced; a playlist
        // that shares its data with a file elsewhere is copied apart, so the
        // other file stays as it was.
        const bool shared = status.kind == platform::EntryKind::Regular && status.links > 1;
        return asPlaylistWrite(shared ? rewriteWithTail(path_, entry) : writeWholeFile(path_, entry));
    }
    file_ = std::move(file);
    identity_ = status.identity;
    return appendWhole(file_, status.size, entry);
}

}  // namespace pelkora::output
