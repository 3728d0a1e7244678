// Playlist entries: their exact bytes, and how each reaches the file whole.

#include "output/playlist.h"

#include <cstdio>
#include <system_error>

#include "output/playlist_appender.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

// "%.2d": at least two digits, a minus sign in front of them.
std::string twoDigits(int number)
{
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%.2d", number);
    return std::string(digits, static_cast<std::size_t>(length));
}

}  // namespace

Outcome appendPlaylistEntry(const fs::path& playlist, std::string_view entry)
{
    PlaylistAppender appender(playlist);
    if (Outcome appended = appender.append(entry); !appended.ok())
        return appended;
    return appender.close();
}

std::string stillPictureEntry(std::string_view fileName, std::string_view timeText)
{
    std::string entry;
    entry.reserve(fileName.size() + timeText.size() + 3);
    entry.append(fileName).append(",").append(timeText).append("\n\n");
    return entry;
}

std::string frameEntry(std::string_view fileName, int frameDisplayTime)
{
    std::string entry;
    entry.reserve(fileName.size() + 14);
    entry.append(fileName).append(",").append(std::to_string(frameDisplayTime)).append("\n");
    return entry;
}

std::string textPageFileName(std::string_view pageName, int pageNumber)
{
    std::string name;
    name.reserve(pageName.size() + 16);
    name.append(pageName).append("-").append(twoDigits(pageNumber)).append(".txt");
    return name;
}

std::string dobFileName(std::string_view baseName, int frameNumber)
{
    static constexpr std::string_view kFrom = ".bmp";
    static constexpr std::string_view kTo = ".dob";
    // No ".bmp" can span the base name and what follows it, which starts
    // with a dash or a dot: replacing within the base name is enough.
    std::string name(baseName);
    for (std::size_t at = name.find(kFrom); at != std::string::npos; at = name.find(kFrom, at + kTo.size()))
        name.replace(at, kFrom.size(), kTo);
    if (frameNumber > 0)
        name.append("-").append(twoDigits(frameNumber));
    return name.append(kTo);
}

std::string textPageEntry(std::string_view pageName, int pageNumber)
{
    return textPageFileName(pageName, pageNumber).append(",").append(std::to_string(kTextPageDisplayTime)).append("\n");
}

}  // namespace pelkora::output
