#include "session/package_listing.h"

namespace pelkora::session {

namespace fs = std::filesystem;

PackageListing::PackageListing(fs::path folder) : folder_(std::move(folder)) {}

Outcome PackageListing::reload()
{
    playlist_ = {};
    entries_.clear();
    const Outcome read = output::readPlaylist(folder_, playlist_);
    if (!read.ok()) {
        playlist_ = {};
        return read;
    }
    const std::vector<output::EntryRole> roles = output::entryRoles(playlist_);
    for (std::size_t i = 0; i < playlist_.entries.size(); ++i) {
        const output::PlaylistEntry& entry = playlist_.entries[i];
        entries_.push_back({entry.name, entry.time, describeEntry(folder_, entry, roles[i])});
    }
    return read;
}

output::EditOutcome PackageListing::move(std::size_t index, std::size_t position)
{
    const std::string name = index < entries_.size() ? entries_[index].name : std::string();
    return edit([&](output::Playlist& playlist, output::EditError& error) {
        return output::moveEntryAt(playlist, index, name, position, error);
    });
}

output::EditOutcome PackageListing::setTime(std::size_t index, const std::string& milliseconds)
{
    const std::string name = index < entries_.size() ? entries_[index].name : std::string();
    return edit([&](output::Playlist& playlist, output::EditError& error) {
        return output::setTimeAt(playlist, index, name, milliseconds, error);
    });
}

output::EditOutcome PackageListing::remove(std::size_t index)
{
    const std::string name = index < entries_.size() ? entries_[index].name : std::string();
    return edit([&](output::Playlist& playlist, output::EditError& error) {
        return output::removeEntryAt(playlist, index, name, error);
    });
}

// Read again whatever came of it: a refused edit may have found the
// playlist changed by another run.
output::EditOutcome PackageListing::edit(const output::PlaylistEdit& change)
{
    output::EditOutcome outcome = output::editPackage(folder_, change);
    reload();
    return outcome;
}

}  // namespace pelkora::session
