// Playlist entries: their exact bytes, and how each reaches the file whole.

#include <cstdio>
#include <mutex>
#include <system_error>

#include "output/output_file.h"
#include "output/playlist.h"

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

// Entries come from the dialog's thread and from an animation's worker at
// once; one lock for the whole process keeps their lines apart.
std::mutex& playlistMutex()
{
    static std::mutex mutex;
    return mutex;
}

// "%.2d": at least two digits, a minus sign in front of them.
std::string twoDigits(int number)
{
    char digits[16];
    const int length = std::snprintf(digits, sizeof digits, "%.2d", number);
    return std::string(digits, static_cast<std::size_t>(length));
}

// Takes back the part of an entry that a failed write left at the end of
// the playlist, so that the next entry does not land on a broken line.
void removeTail(const fs::path& playlist, std::size_t written)
{
    std::error_code error;
    const auto size = fs::file_size(playlist, error);
    if (!error && size >= written)
        fs::resize_file(playlist, size - written, error);
}

}  // namespace

bool appendPlaylistEntry(const fs::path& playlist, std::string_view entry)
{
    const std::lock_guard lock(playlistMutex());
    std::FILE* file = openOutputFile(playlist, OutputMode::Append);
    if (file == nullptr)
        return false;
    // Unbuffered: the whole entry goes to the file in one write.
    std::setvbuf(file, nullptr, _IONBF, 0);
    const std::size_t written = std::fwrite(entry.data(), 1, entry.size(), file);
    const bool closed = std::fclose(file) == 0;
    if (written == entry.size() && closed)
        return true;
    removeTail(playlist, written);
    return false;
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

std::string textPageEntry(std::string_view pageName, int pageNumber)
{
    return textPageFileName(pageName, pageNumber)
        .append(",")
        .append(std::to_string(kTextPageDisplayTime))
        .append("\n");
}

}  // namespace pelkora::output
