#pragma once
// The output folder "adv", its playlist "advertising.index", the timing
// settings "advTimeSetting.ini" and the batch file "adv.bat": where they lie
// and how entries reach the playlist.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "core/status.h"

namespace pelkora::output {

inline constexpr std::string_view kOutputFolderName = "adv";
inline constexpr std::string_view kPlaylistFileName = "advertising.index";
inline constexpr std::string_view kTimingSettingsFileName = "advTimeSetting.ini";
inline constexpr std::string_view kBatchFileName = "adv.bat";
inline constexpr std::string_view kTimingSection = "IntervalTime";
inline constexpr std::string_view kStaticPlayTimeKey = "StaticGifPlayTime";
inline constexpr std::string_view kStaticPlayTimeDefault = "3000";
inline constexpr std::string_view kLastFramePlayTimeKey = "DynamicGifLastPicPlayTime";
inline constexpr std::string_view kLastFramePlayTimeDefault = "1500";
inline constexpr int kTextPageDisplayTime = 6000;

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
DeletionCount deleteFolderContents(const std::filesystem::path& folder,
                                   const DeleteFailureFunction& onFailure = {});

// Start-up: an existing folder is emptied, a missing one is created (one
// level). A file named like the folder is left alone and reported.
// CannotDelete when a file stayed (each one through onFailure).
Outcome prepareOutputFolder(const std::filesystem::path& folder, const DeleteFailureFunction& onFailure = {});

// Whether a source folder may be converted into outputFolder, before
// anything is emptied: NoSuchFolder, NotAFolder, CannotListFolder (with the
// cause), SourceInOutput when it is the output folder or lies inside it
// (however the two are named), else Ok.
Outcome checkSourceFolder(const std::filesystem::path& source, const std::filesystem::path& outputFolder);

// Appends one whole entry with one write, under a process-wide lock, to a
// file opened and closed for this entry alone. A missing playlist is
// created whole by a rename. False, with the cause, when the playlist could
// not be opened or written.
bool appendPlaylistEntry(const std::filesystem::path& playlist, std::string_view entry, std::error_code& cause);
bool appendPlaylistEntry(const std::filesystem::path& playlist, std::string_view entry);

// The value of key in section "IntervalTime", read afresh, at most 9
// characters; the default when the file, section or key is missing.
std::string readTimingValue(const std::filesystem::path& settings, std::string_view key,
                            std::string_view defaultValue);

// The value as readTimingValue gives it; warning is set when the file holds
// a value that is not a plain decimal number of 1 to 9 digits (it is still
// copied as it stands), and names the file, the key and the value.
struct TimingSetting {
    std::string value;
    std::string warning;  // empty: none
};
TimingSetting readTimingSetting(const std::filesystem::path& settings, std::string_view key,
                                std::string_view defaultValue);

// Entry texts, byte for byte.
std::string stillPictureEntry(std::string_view fileName, std::string_view timeText);  // "%s,%s\n\n"
std::string frameEntry(std::string_view fileName, int frameDisplayTime);             // "%s,%d\n"
std::string textPageEntry(std::string_view pageName, int pageNumber);               // "%s-%.2d.txt,%d\n"
std::string textPageFileName(std::string_view pageName, int pageNumber);            // "%s-%.2d.txt"

}  // namespace pelkora::output
