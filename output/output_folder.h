#pragma once
// The output folder "adv" and the files beside and in it (the playlist
// "advertising.index", the timing settings "advTimeSetting.ini", the batch
// file "adv.bat"): where they lie, how the folder is prepared and emptied,
// and which source folders may be converted into it.

#include <filesystem>
#include <functional>
#include <string_view>

#include "core/status.h"

namespace pelkora::output {

inline constexpr std::string_view kOutputFolderName = "adv";
inline constexpr std::string_view kPlaylistFileName = "advertising.index";
inline constexpr std::string_view kTimingSettingsFileName = "advTimeSetting.ini";
inline constexpr std::string_view kBatchFileName = "adv.bat";

// workDirectory/adv
std::filesystem::path outputFolderPath(const std::filesystem::path& workDirectory);
// outputDirectory/advertising.index
std::filesystem::path playlistPath(const std::filesystem::path& outputDirectory);
// workDirectory/advTimeSetting.ini
std::filesystem::path timingSettingsPath(const std::filesystem::path& workDirectory);
// workDirectory/adv.bat
std::filesystem::path batchFilePath(const std::filesystem::path& workDirectory);

// Creates the output folder when it is missing (one level). Fails, with the
// cause, when it cannot be made or something else has its name.
Outcome ensureOutputFolder(const std::filesystem::path& folder);

// One file of the output folder that could not be deleted, and why.
// CannotDelete for a file, CannotListFolder for a folder whose files could
// not even be listed; both with the system's cause.
using DeleteFailureFunction = std::function<void(const std::filesystem::path& path, const Outcome& outcome)>;

struct DeletionCount {
    int deleted = 0;  // files (and links) removed
    int failed = 0;   // files that stay, each reported once
};

// Deletes every file in the folder and its subfolders; the folders stay.
// The playlist goes first, so that a run stopped half-way never leaves a
// playlist naming files already gone. A symbolic link is removed as a link
// and never followed. The folder's listing is never held whole: files go as
// they are listed. Every file that stays is reported through onFailure.
// A folder that is itself a symbolic link loses only the files directly in
// the folder it names: its subfolders and the links in it stay.
DeletionCount deleteFolderContents(const std::filesystem::path& folder, const DeleteFailureFunction& onFailure = {});

// Start-up: an existing folder is emptied, a missing one is created (one
// level). A file named like the folder is left alone and reported.
// CannotDelete when a file stayed (each one through onFailure).
Outcome prepareOutputFolder(const std::filesystem::path& folder, const DeleteFailureFunction& onFailure = {});

// Whether a source folder may be converted into outputFolder, before
// anything is emptied: NoSuchFolder, NotAFolder, CannotListFolder (with the
// cause), SourceInOutput when it is the output folder or lies inside it
// (however the two are named, however deep), SourcePlaceUnknown (with the
// cause) when that cannot be told, else Ok.
Outcome checkSourceFolder(const std::filesystem::path& source, const std::filesystem::path& outputFolder);

}  // namespace pelkora::output
