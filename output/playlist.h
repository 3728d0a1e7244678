#pragma once
// The output folder "adv", its playlist "advertising.index", the timing
// settings "advTimeSetting.ini" and the batch file "adv.bat": where they lie
// and how entries reach the playlist.

#include <filesystem>
#include <string>
#include <string_view>

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

// Start-up: an existing folder is emptied, a missing one is created (one level).
// A file named like the folder is left alone. Failures are not reported.
void prepareOutputFolder(const std::filesystem::path& folder);

// Deletes every file in the folder and its subfolders; the folders stay.
// A symbolic link is removed as a link and never followed. Failures leave
// the file where it is. Always 1.
int deleteFolderContents(const std::filesystem::path& folder);

// Appends one whole entry with one write, under a process-wide lock, to a
// file opened and closed for this entry alone. False when the playlist could
// not be opened or written.
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
