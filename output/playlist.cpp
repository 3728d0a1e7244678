// Playlist entries: their exact bytes, and how each reaches the file whole.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// Appends to a playlist that is already a regular file of its own, in one
// write. A write cut short is taken back, so that the next entry does not
// land on a broken line.
bool appendInPlace(int fd, off_t sizeBefore, std::string_view entry, std::error_code& cause)
{
    ssize_t written = -1;
    do
        written = ::write(fd, entry.data(), entry.size());
    while (written < 0 && errno == EINTR);
    if (written == static_cast<ssize_t>(entry.size()))
        return true;
    cause = written < 0 ? std::error_code(errno, std::generic_category())
                        : std::make_error_code(std::errc::no_space_on_device);
    // Should the cut fail too, the write's cause is still the one to tell.
    if (written > 0) {
        const int cut = ::ftruncate(fd, sizeBefore);
        static_cast<void>(cut);
    }
    return false;
}

}  // namespace

bool appendPlaylistEntry(const fs::path& playlist, std::string_view entry, std::error_code& cause)
{
    const std::lock_guard lock(playlistMutex());
    cause.clear();
    // No O_CREAT: the first entry creates the file whole, by a rename, so a
    // kill never leaves an empty playlist.
    const int fd = ::open(playlist.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        const int openError = errno;
        struct stat entryInfo {};
        const bool foreign = ::lstat(playlist.c_str(), &entryInfo) == 0 && !S_ISREG(entryInfo.st_mode)
                             && !S_ISDIR(entryInfo.st_mode);
        // A link or a pipe under the playlist's name is replaced, never used.
        if (openError == ENOENT || foreign)
            return writeWholeFile(playlist, entry, cause);
        cause = std::error_code(openError, std::generic_category());
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        cause = std::error_code(errno, std::generic_category());
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_nlink > 1) {
        ::close(fd);
        // A device is replaced; a playlist that shares its data with a file
        // elsewhere is copied apart, so the other file stays as it was.
        return S_ISREG(info.st_mode) ? rewriteWithTail(playlist, entry, cause)
                                     : writeWholeFile(playlist, entry, cause);
    }
    const bool appended = appendInPlace(fd, info.st_size, entry, cause);
    if (::close(fd) != 0 && appended) {
        cause = std::error_code(errno, std::generic_category());
        return false;
    }
    return appended;
}

bool appendPlaylistEntry(const fs::path& playlist, std::string_view entry)
{
    std::error_code ignored;
    return appendPlaylistEntry(playlist, entry, ignored);
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
