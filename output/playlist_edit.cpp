#include "output/playlist_edit.h"

#include <algorithm>
#include <set>

#include "output/ascii.h"
#include "output/folder_lock.h"
#include "output/input_file.h"
#include "output/output_file.h"
#include "output/output_folder.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kMaxPlaylistBytes = std::uint64_t{64} << 20;
constexpr std::size_t kMaxTimeDigits = 9;

bool endsWith(std::string_view name, std::string_view extension)
{
    return name.size() > extension.size()
           && equalsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
}

bool isDob(const PlaylistEntry& entry) { return entry.hasComma && endsWith(entry.name, ".dob"); }
bool isPage(const PlaylistEntry& entry) { return entry.hasComma && endsWith(entry.name, ".txt"); }

bool validTime(std::string_view milliseconds)
{
    return !milliseconds.empty() && milliseconds.size() <= kMaxTimeDigits
           && std::all_of(milliseconds.begin(), milliseconds.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The empty line that closed an animation goes to the frame before a
// last frame taken away, so the animation stays closed.
void keepGroupClosed(std::vector<PlaylistEntry>& kept, const PlaylistEntry& taken)
{
    if (taken.emptyLinesAfter == 0 || kept.empty())
        return;
    PlaylistEntry& before = kept.back();
    if (isDob(before) && before.emptyLinesAfter == 0)
        before.emptyLinesAfter = taken.emptyLinesAfter;
}

// A file name of the package that a removal may delete: no folder part,
// nothing that leads out of the folder, never the playlist itself.
bool isPlainPackageName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name != kPlaylistFileName
           && name.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos;
}

}  // namespace

Playlist parsePlaylist(std::string_view text)
{
    Playlist playlist;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t feed = text.find('\n', at);
        const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty()) {
            ++(playlist.entries.empty() ? playlist.emptyLinesBefore : playlist.entries.back().emptyLinesAfter);
            continue;
        }
        PlaylistEntry entry;
        const std::size_t comma = line.rfind(',');
        entry.hasComma = comma != std::string_view::npos;
        entry.name = std::string(line.substr(0, entry.hasComma ? comma : line.size()));
        if (entry.hasComma)
            entry.time = std::string(line.substr(comma + 1));
        playlist.entries.push_back(std::move(entry));
    }
    return playlist;
}

std::string serializePlaylist(const Playlist& playlist)
{
    std::string text(static_cast<std::size_t>(playlist.emptyLinesBefore), '\n');
    for (const PlaylistEntry& entry : playlist.entries) {
        text += entry.name;
        if (entry.hasComma)
            text.append(",").append(entry.time);
        text.append(static_cast<std::size_t>(1 + entry.emptyLinesAfter), '\n');
    }
    return text;
}

std::vector<EntryRole> entryRoles(const Playlist& playlist)
{
    const std::vector<PlaylistEntry>& entries = playlist.entries;
    std::vector<EntryRole> roles(entries.size());
    for (std::size_t i = 0; i < entries.size();) {
        if (isPage(entries[i]))
            roles[i].kind = EntryKind::TextPage;
        if (!isDob(entries[i])) {
            ++i;
            continue;
        }
        // A run of DOB lines up to the empty line that closes it.
        std::size_t end = i;
        while (entries[end].emptyLinesAfter == 0 && end + 1 < entries.size() && isDob(entries[end + 1]))
            ++end;
        const int frames = static_cast<int>(end - i + 1);
        for (std::size_t at = i; at <= end; ++at) {
            EntryRole& role = roles[at];
            role.frame = static_cast<int>(at - i + 1);
            role.frames = frames;
            role.kind = frames == 1 ? EntryKind::Still : at == end ? EntryKind::LastFrame : EntryKind::Frame;
        }
        i = end + 1;
    }
    return roles;
}

bool parseEntryKind(std::string_view word, EntryKind& kind)
{
    static const std::pair<std::string_view, EntryKind> kinds[] = {{"still", EntryKind::Still},
                                                                   {"frame", EntryKind::Frame},
                                                                   {"last-frame", EntryKind::LastFrame},
                                                                   {"text", EntryKind::TextPage}};
    for (const auto& [name, value] : kinds) {
        if (word == name) {
            kind = value;
            return true;
        }
    }
    return false;
}

bool splitNumberedName(std::string_view name, std::string& base, int& number)
{
    if (!endsWith(name, ".dob") && !endsWith(name, ".txt"))
        return false;
    const std::string_view stem = name.substr(0, name.size() - 4);
    const std::size_t dash = stem.rfind('-');
    if (dash == std::string_view::npos)
        return false;
    const std::string_view digits = stem.substr(dash + 1);
    if (digits.size() < 2 || digits.size() > kMaxTimeDigits
        || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    base = std::string(stem.substr(0, dash));
    number = std::stoi(std::string(digits));
    return true;
}

bool entryMatches(const PlaylistEntry& entry, std::string_view name, bool allOf)
{
    if (!entry.hasComma)
        return false;
    if (!allOf)
        return entry.name == name;
    if (endsWith(entry.name, ".dob") && std::string_view(entry.name).substr(0, entry.name.size() - 4) == name)
        return true;
    std::string base;
    int number = 0;
    return splitNumberedName(entry.name, base, number) && base == name;
}

bool removeEntries(Playlist& playlist, const std::vector<std::string>& names, bool allOf, EditError& error)
{
    for (const std::string& name : names) {
        const bool named = std::any_of(playlist.entries.begin(), playlist.entries.end(),
                                       [&](const PlaylistEntry& entry) { return entryMatches(entry, name, allOf); });
        if (!named) {
            error.message = "no entry " + std::string(allOf ? "of " : "") + name;
            return false;
        }
    }
    std::vector<PlaylistEntry> kept;
    for (PlaylistEntry& entry : playlist.entries) {
        const bool taken = std::any_of(names.begin(), names.end(),
                                       [&](const std::string& name) { return entryMatches(entry, name, allOf); });
        if (taken)
            keepGroupClosed(kept, entry);
        else
            kept.push_back(std::move(entry));
    }
    playlist.entries = std::move(kept);
    return true;
}

bool moveEntry(Playlist& playlist, std::string_view name, std::size_t position, EditError& error)
{
    const std::vector<PlaylistEntry>& entries = playlist.entries;
    const auto matches = [&](const PlaylistEntry& entry) { return entryMatches(entry, name, false); };
    const auto found = std::find_if(entries.begin(), entries.end(), matches);
    if (found == entries.end()) {
        error.message = "no entry " + std::string(name);
        return false;
    }
    if (std::count_if(entries.begin(), entries.end(), matches) > 1) {
        error.message = std::string(name) + " is named by more than one line";
        return false;
    }
    return moveEntryAt(playlist, static_cast<std::size_t>(found - entries.begin()), name, position, error);
}

bool setTime(Playlist& playlist, std::string_view name, std::string_view milliseconds, EditError& error)
{
    if (!validTime(milliseconds)) {
        error.message = "a display time is 1 to 9 digits, not '" + std::string(milliseconds) + "'";
        return false;
    }
    bool named = false;
    for (PlaylistEntry& entry : playlist.entries) {
        if (!entryMatches(entry, name, false))
            continue;
        entry.time = std::string(milliseconds);
        named = true;
    }
    if (!named)
        error.message = "no entry " + std::string(name);
    return named;
}

int setTimeOfKind(Playlist& playlist, EntryKind kind, std::string_view milliseconds)
{
    if (!validTime(milliseconds))
        return 0;
    const std::vector<EntryRole> roles = entryRoles(playlist);
    int changed = 0;
    for (std::size_t i = 0; i < roles.size(); ++i) {
        if (roles[i].kind != kind)
            continue;
        playlist.entries[i].time = std::string(milliseconds);
        ++changed;
    }
    return changed;
}

std::vector<std::string> namesDropped(const Playlist& before, const Playlist& after)
{
    std::set<std::string> still;
    for (const PlaylistEntry& entry : after.entries)
        if (entry.hasComma)
            still.insert(entry.name);
    std::vector<std::string> dropped;
    std::set<std::string> seen;
    for (const PlaylistEntry& entry : before.entries) {
        if (entry.hasComma && still.count(entry.name) == 0 && seen.insert(entry.name).second)
            dropped.push_back(entry.name);
    }
    return dropped;
}

Outcome readPlaylist(const fs::path& folder, Playlist& playlist)
{
    const InputBytes bytes = readInputFile(playlistPath(folder), kMaxPlaylistBytes);
    if (bytes.outcome.status == Status::CantFindFile) {
        playlist = {};
        return Status::Ok;
    }
    if (!bytes.outcome.ok())
        return bytes.outcome;
    if (bytes.truncated)
        return Status::PlaylistTooLarge;
    playlist = parsePlaylist(std::string_view(reinterpret_cast<const char*>(bytes.bytes.data()), bytes.bytes.size()));
    return Status::Ok;
}

EditOutcome editPackage(const fs::path& folder, const PlaylistEdit& edit, LockHeld lock)
{
    EditOutcome result;
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        result.outcome = Status::NoSuchFolder;
        return result;
    }
    FolderLock folderLock;
    if (lock == LockHeld::No) {
        folderLock = FolderLock(folder);
        if (!folderLock.held()) {
            result.outcome = folderLock.outcome();
            return result;
        }
    }
    if (!fs::exists(playlistPath(folder), error)) {
        result.outcome = Status::CantFindFile;
        return result;
    }
    Playlist before;
    result.outcome = readPlaylist(folder, before);
    if (!result.outcome.ok())
        return result;
    Playlist after = before;
    EditError refused;
    if (!edit(after, refused)) {
        result.outcome = Status::BadPlaylistLine;
        result.message = refused.message;
        return result;
    }
    if (const Outcome written = writeWholeFile(playlistPath(folder), serializePlaylist(after)); !written.ok()) {
        result.outcome = Outcome(Status::CannotWriteIndex, written.cause);
        return result;
    }
    // Only now that no line names them can the files go.
    for (const std::string& name : namesDropped(before, after)) {
        if (!isPlainPackageName(name))
            continue;
        std::error_code removeError;
        if (fs::remove(folder / name, removeError))
            result.removedFiles.push_back(name);
        else if (removeError)
            result.keptFiles.push_back(name);
    }
    return result;
}

// Edits of one entry by its place, as a listing shows it: the name it had
// when listed must still stand there, or the playlist changed meanwhile.
namespace {

bool stillNamed(const Playlist& playlist, std::size_t index, std::string_view name, EditError& error)
{
    if (index < playlist.entries.size() && playlist.entries[index].name == name)
        return true;
    error.message = "the playlist changed: entry " + std::to_string(index + 1) + " is no longer " + std::string(name);
    return false;
}

}  // namespace

bool moveEntryAt(Playlist& playlist, std::size_t index, std::string_view name, std::size_t position,
                 EditError& error)
{
    if (!stillNamed(playlist, index, name, error))
        return false;
    std::vector<PlaylistEntry>& entries = playlist.entries;
    if (position < 1 || position > entries.size()) {
        error.message = "position " + std::to_string(position) + " is not 1 to " + std::to_string(entries.size());
        return false;
    }
    const auto found = entries.begin() + static_cast<std::ptrdiff_t>(index);
    PlaylistEntry moved = std::move(*found);
    std::vector<PlaylistEntry> kept(std::make_move_iterator(entries.begin()), std::make_move_iterator(found));
    keepGroupClosed(kept, moved);
    kept.insert(kept.end(), std::make_move_iterator(found + 1), std::make_move_iterator(entries.end()));
    kept.insert(kept.begin() + static_cast<std::ptrdiff_t>(position - 1), std::move(moved));
    entries = std::move(kept);
    return true;
}

bool removeEntryAt(Playlist& playlist, std::size_t index, std::string_view name, EditError& error)
{
    if (!stillNamed(playlist, index, name, error))
        return false;
    std::vector<PlaylistEntry>& entries = playlist.entries;
    const auto found = entries.begin() + static_cast<std::ptrdiff_t>(index);
    PlaylistEntry taken = std::move(*found);
    std::vector<PlaylistEntry> kept(std::make_move_iterator(entries.begin()), std::make_move_iterator(found));
    keepGroupClosed(kept, taken);
    kept.insert(kept.end(), std::make_move_iterator(found + 1), std::make_move_iterator(entries.end()));
    entries = std::move(kept);
    return true;
}

bool setTimeAt(Playlist& playlist, std::size_t index, std::string_view name, std::string_view milliseconds,
               EditError& error)
{
    if (!stillNamed(playlist, index, name, error))
        return false;
    if (!validTime(milliseconds)) {
        error.message = "a display time is 1 to 9 digits, not '" + std::string(milliseconds) + "'";
        return false;
    }
    playlist.entries[index].time = std::string(milliseconds);
    return true;
}

}  // namespace pelkora::output
