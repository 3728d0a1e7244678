#pragma once
// The package as a list a window shows and edits: each entry's name, time,
// kind and fault, read afresh after every edit. Each edit is one edit of
// the playlist library, by the entry's place and the name it had when
// listed, under the folder's lock, so that an edit made from a listing
// that went stale changes nothing.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "core/status.h"
#include "output/playlist_edit.h"
#include "session/entry_description.h"

namespace pelkora::session {

struct ListedEntry {
    std::string name;
    std::string time;  // milliseconds, as written
    EntryDescription description;
};

class PackageListing {
public:
    explicit PackageListing(std::filesystem::path folder);

    // Reads the playlist again: an empty listing when there is none.
    Outcome reload();
    const std::filesystem::path& folder() const { return folder_; }
    const output::Playlist& playlist() const { return playlist_; }
    const std::vector<ListedEntry>& entries() const { return entries_; }

    // The entry at index to position (from 1).
    output::EditOutcome move(std::size_t index, std::size_t position);
    output::EditOutcome setTime(std::size_t index, const std::string& milliseconds);
    // The entry and, when no other line names it, its file.
    output::EditOutcome remove(std::size_t index);

private:
    output::EditOutcome edit(const output::PlaylistEdit& change);

    std::filesystem::path folder_;
    output::Playlist playlist_;
    std::vector<ListedEntry> entries_;
};

}  // namespace pelkora::session
