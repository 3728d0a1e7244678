#include "cli/package_commands.h"

#include <ostream>
#include <set>
#include <string>

#include "output/dob_reader.h"
#include "output/folder_lock.h"
#include "output/input_file.h"
#include "output/names.h"
#include "output/output_folder.h"
#include "output/package_check.h"
#include "output/playlist_edit.h"
#include "output/previous_package.h"
#include "output/readd.h"
#include "session/entry_description.h"

namespace pelkora::cli {

namespace fs = std::filesystem;
using Mode = session::CommandLine::Mode;

namespace {

// The kind as the device plays it and, after " ! ", what is wrong with the file.
std::string entryText(const session::EntryDescription& description)
{
    return (description.kind.empty() ? "" : " " + description.kind)
           + (description.fault.empty() ? "" : " ! " + description.fault);
}

int listPackage(const fs::path& folder, std::ostream& out, std::ostream& err)
{
    output::Playlist playlist;
    const Outcome read = output::readPlaylist(folder, playlist);
    if (!read.ok()) {
        err << "pelkora: " << output::escapedForTerminal(output::playlistPath(folder).string()) << ": "
            << outcomeText(read) << "\n";
        return 1;
    }
    const std::vector<output::EntryRole> roles = output::entryRoles(playlist);
    const std::vector<std::size_t> staleList = output::staleEntries(playlist);
    const std::set<std::size_t> stale(staleList.begin(), staleList.end());
    std::string text;
    for (std::size_t i = 0; i < playlist.entries.size(); ++i) {
        const output::PlaylistEntry& entry = playlist.entries[i];
        text += std::to_string(i + 1) + " " + output::escapedForTerminal(entry.name) + " "
                + output::escapedForTerminal(entry.time) + entryText(session::describeEntry(folder, entry, roles[i]))
                + (stale.count(i) != 0 ? " ! stale" : "") + "\n";
    }
    out << text;
    return 0;
}

output::PlaylistEdit editOf(const session::CommandLine& commandLine)
{
    const session::PackageEditArguments& edit = commandLine.edit;
    switch (commandLine.mode) {
    case Mode::Remove:
        return [&edit](output::Playlist& playlist, output::EditError& error) {
            return (edit.names.empty() || output::removeEntries(playlist, edit.names, false, error))
                   && (edit.bases.empty() || output::removeEntries(playlist, edit.bases, true, error));
        };
    case Mode::Move:
        return [&edit](output::Playlist& playlist, output::EditError& error) {
            return output::moveEntry(playlist, edit.names.front(), edit.position, error);
        };
    case Mode::SetTime:
        return [&edit](output::Playlist& playlist, output::EditError& error) {
            return output::setTime(playlist, edit.names.front(), edit.milliseconds, error);
        };
    default:
        return [&edit](output::Playlist& playlist, output::EditError& error) {
            if (output::setTimeOfKind(playlist, edit.kind, edit.milliseconds) > 0)
                return true;
            error.message = "no entry of that kind";
            return false;
        };
    }
}

int editPackage(const session::CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    const fs::path folder(output::kOutputFolderName);
    const output::EditOutcome edited = output::editPackage(folder, editOf(commandLine));
    if (!edited.outcome.ok()) {
        const std::string why = edited.message.empty() ? outcomeText(edited.outcome) : edited.message;
        const fs::path where = edited.outcome.status == Status::NoSuchFolder ? folder : output::playlistPath(folder);
        err << "pelkora: " << output::escapedForTerminal(where.string()) << ": "
            << output::escapedForTerminal(why) << "\n";
        return 1;
    }
    for (const std::string& name : edited.keptFiles)
        err << "pelkora: " << output::escapedForTerminal((folder / name).string())
            << ": no line names it any more, but it could not be removed\n";
    if (!commandLine.quiet)
        out << "pelkora: playlist rewritten, " << edited.removedFiles.size() << " file"
            << (edited.removedFiles.size() == 1 ? "" : "s") << " removed\n";
    return edited.keptFiles.empty() ? 0 : 1;
}

int restorePackage(bool quiet, std::ostream& out, std::ostream& err)
{
    const fs::path folder(output::kOutputFolderName);
    std::error_code error;
    output::FolderLock lock;
    if (fs::is_directory(folder, error)) {
        lock = output::FolderLock(folder, [&err] {
            err << "pelkora: waiting for another pelkora writing " << output::kOutputFolderName << "/\n" << std::flush;
        });
        if (!lock.held()) {
            err << "pelkora: " << folder.string() << ": " << outcomeText(lock.outcome()) << "\n";
            return 1;
        }
    }
    const output::KeptPackage restored = output::restorePrevious(folder);
    if (!restored.outcome.ok()) {
        const std::string why = restored.outcome.status == Status::NoSuchFolder ? "no previous package is kept"
                                                                                : outcomeText(restored.outcome);
        err << "pelkora: " << output::previousFolderPath(folder).string() << ": " << why << "\n";
        return 1;
    }
    if (!quiet)
        out << "pelkora: " << folder.string() << " restored; the package it held is now "
            << output::previousFolderPath(folder).string() << "\n";
    return 0;
}

}  // namespace

int runPackageCommand(const session::CommandLine& commandLine, std::ostream& out, std::ostream& err)
{
    if (commandLine.mode == Mode::List)
        return listPackage(commandLine.packageFolder, out, err);
    if (commandLine.mode == Mode::Restore)
        return restorePackage(commandLine.quiet, out, err);
    return editPackage(commandLine, out, err);
}

}  // namespace pelkora::cli
