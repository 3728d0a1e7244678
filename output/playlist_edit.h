#pragma once
// Editing a written package: the playlist read into entries, changed, and
// written back whole. The device reads nothing but the playlist's lines and
// the files they name, so an edit keeps every line it does not touch byte
// for byte, and the empty line that closes a still picture or an animation
// stays with the group it closes.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace pelkora::output {

// One line of the playlist and the empty lines that follow it.
struct PlaylistEntry {
    std::string name;  // before the last comma; the whole line when there is none
    std::string time;  // after the last comma, as written
    bool hasComma = false;
    int emptyLinesAfter = 0;
};

struct Playlist {
    int emptyLinesBefore = 0;
    std::vector<PlaylistEntry> entries;
};

// Byte for byte: serializePlaylist(parsePlaylist(t)) == t for every text
// whose last line ends in a line feed; a torn last line gains one.
Playlist parsePlaylist(std::string_view text);
std::string serializePlaylist(const Playlist& playlist);

// What an entry is, from its name and the group it stands in.
enum class EntryKind { Still, Frame, LastFrame, TextPage, Other };
struct EntryRole {
    EntryKind kind = EntryKind::Other;
    int frame = 0;   // Frame and LastFrame: 1-based
    int frames = 0;  // the animation's frame count
};
std::vector<EntryRole> entryRoles(const Playlist& playlist);

// "still", "frame", "last-frame", "text": the kinds --set-time-all takes.
bool parseEntryKind(std::string_view word, EntryKind& kind);

// The base and page or frame number of "BASE-NN.txt" or "BASE-NN.dob"
// (NN two digits or more); false for any other name.
bool splitNumberedName(std::string_view name, std::string& base, int& number);

// Entries of a name, or with allOf, those of "BASE.dob", "BASE-NN.dob" and
// "BASE-NN.txt".
bool entryMatches(const PlaylistEntry& entry, std::string_view name, bool allOf);

// The edits, on a playlist in memory. Each returns false, with a message,
// and leaves the playlist as it was when it cannot do all it was asked.
struct EditError {
    std::string message;
};
bool removeEntries(Playlist& playlist, const std::vector<std::string>& names, bool allOf, EditError& error);
// position: 1-based, where the entry stands afterwards.
bool moveEntry(Playlist& playlist, std::string_view name, std::size_t position, EditError& error);
bool setTime(Playlist& playlist, std::string_view name, std::string_view milliseconds, EditError& error);
int setTimeOfKind(Playlist& playlist, EntryKind kind, std::string_view milliseconds);

// The same edits of the one entry at index (from 0), which must still be
// named name: an edit made from a listing read earlier changes nothing
// when the playlist changed since.
bool moveEntryAt(Playlist& playlist, std::size_t index, std::string_view name, std::size_t position,
                 EditError& error);
bool removeEntryAt(Playlist& playlist, std::size_t index, std::string_view name, EditError& error);
bool setTimeAt(Playlist& playlist, std::size_t index, std::string_view name, std::string_view milliseconds,
               EditError& error);

// Names no entry of the playlist gives any more, of those in before.
std::vector<std::string> namesDropped(const Playlist& before, const Playlist& after);

// One edit of the package in folder, start to end: the folder's lock (unless
// the caller holds it already), the playlist read, edited, written whole
// under a temporary name and renamed into place, and only then the files
// that no line names any more removed. NoSuchFolder, CantFindFile for a
// missing playlist, PlaylistTooLarge, CannotLock, CannotWriteIndex;
// BadPlaylistLine with the message when the edit itself refused.
enum class LockHeld { No, Yes };
using PlaylistEdit = std::function<bool(Playlist&, EditError&)>;
struct EditOutcome {
    Outcome outcome;
    std::string message;
    std::vector<std::string> removedFiles;
    std::vector<std::string> keptFiles;  // dropped from the playlist, but could not be removed
};
EditOutcome editPackage(const std::filesystem::path& folder, const PlaylistEdit& edit, LockHeld lock = LockHeld::No);

// Reads the playlist of folder: Ok with an empty playlist when there is none.
Outcome readPlaylist(const std::filesystem::path& folder, Playlist& playlist);

}  // namespace pelkora::output
