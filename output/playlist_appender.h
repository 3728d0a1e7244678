#pragma once
// The playlist held open for a run: every line of the run goes through one
// open file, in one write, instead of an open and a close per line.

#include <filesystem>
#include <string_view>
#include <system_error>

#include "core/status.h"
#include "platform/files.h"

namespace pelkora::output {

// The rules are those of a line appended to a playlist opened for it alone:
// a missing playlist is created whole by a rename (a kill never leaves an
// empty one); a playlist that shares its data with a file elsewhere (a hard
// link) is copied apart before the line goes in; a link, pipe or device
// under its name is replaced, never written through; each line is one
// write, and a line that cannot go in whole is taken back. One lock for the
// whole process keeps the lines of all threads apart.
//
// Before each line the name is looked up again, and the descriptor is used
// only while the name still leads to the file it holds: a playlist deleted
// (the folder emptied) or replaced since the last line is opened afresh, so
// a line never lands in a file that is no longer the playlist.
class PlaylistAppender {
public:
    explicit PlaylistAppender(std::filesystem::path playlist);
    ~PlaylistAppender();
    PlaylistAppender(const PlaylistAppender&) = delete;
    PlaylistAppender& operator=(const PlaylistAppender&) = delete;

    // Appends one whole entry. CannotWriteIndex, with the system's cause,
    // when the playlist could not be opened or the entry not written whole.
    Outcome append(std::string_view entry);

    // Lets go of the descriptor until the next entry. CannotWriteIndex,
    // with the cause, when the system reports only now that a write failed
    // (as a network folder may).
    Outcome close();

    const std::filesystem::path& path() const { return path_; }

private:
    bool heldIsPlaylist(std::uint64_t& size) const;
    Outcome appendFresh(std::string_view entry);

    std::filesystem::path path_;
    platform::File file_;
    platform::FileIdentity identity_;
};

}  // namespace pelkora::output
