#include "session/readd.h"

#include <set>
#include <string>

#include "output/output_folder.h"
#include "output/playlist_edit.h"
#include "output/readd.h"

namespace pelkora::session {

namespace fs = std::filesystem;

namespace {

void warnOfStale(const fs::path& outputFolder, const PlaylistMark& mark, ConversionReport& report)
{
    output::Playlist playlist;
    if (!output::readPlaylist(outputFolder, playlist).ok())
        return;
    std::set<std::string> added;
    for (std::size_t i = mark.entries; i < playlist.entries.size(); ++i)
        added.insert(output::entryFamily(playlist.entries[i]));
    for (const std::size_t index : output::staleEntries(playlist)) {
        const output::PlaylistEntry& entry = playlist.entries[index];
        if (added.count(output::entryFamily(entry)) == 0)
            continue;
        report.warned(outputFolder / entry.name,
                      "line " + std::to_string(output::lineOfEntry(playlist, index))
                              + " is left from an earlier conversion (add with --replace to replace it)");
    }
}

}  // namespace

PlaylistMark markPlaylist(const fs::path& outputFolder)
{
    PlaylistMark mark;
    output::Playlist playlist;
    mark.known = output::readPlaylist(outputFolder, playlist).ok();
    mark.entries = playlist.entries.size();
    return mark;
}

void settleAdd(const fs::path& outputFolder, const PlaylistMark& mark, bool replace, ConversionReport& report)
{
    if (!mark.known)
        return;
    if (!replace) {
        warnOfStale(outputFolder, mark, report);
        return;
    }
    const output::EditOutcome edited = output::editPackage(
            outputFolder,
            [&mark](output::Playlist& playlist, output::EditError&) {
                output::replaceEarlierEntries(playlist, mark.entries);
                return true;
            },
            output::LockHeld::Yes);
    if (!edited.outcome.ok() && edited.outcome.status != Status::CantFindFile)
        report.failed(output::playlistPath(outputFolder), outcomeText(edited.outcome));
    for (const std::string& kept : edited.keptFiles)
        report.failed(outputFolder / kept, "no line names it any more, but it could not be removed");
}

}  // namespace pelkora::session
