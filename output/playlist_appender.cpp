#include "output/playlist_appender.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "output/output_file.h"

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

std::error_code lastError() { return {errno, std::generic_category()}; }

// One line into a playlist that is a regular file of its own. A write that
// is interrupted or cut short goes on with the rest; should the rest not go
// in, the part written is taken back, so that the next entry does not land
// on a broken line.
bool appendWhole(int fd, off_t sizeBefore, std::string_view entry, std::error_code& cause)
{
    std::string_view rest = entry;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            cause = written < 0 ? lastError() : std::make_error_code(std::errc::no_space_on_device);
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    if (rest.empty())
        return true;
    // Should the cut fail too, the write's cause is still the one to tell.
    if (rest.size() < entry.size()) {
        const int cut = ::ftruncate(fd, sizeBefore);
        static_cast<void>(cut);
    }
    return false;
}

}  // namespace

PlaylistAppender::PlaylistAppender(fs::path playlist) : path_(std::move(playlist)) {}

PlaylistAppender::~PlaylistAppender() { release(); }

void PlaylistAppender::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

// The name still leads to the very file held, a plain file with no other
// name: the one case where the held descriptor may take the line.
bool PlaylistAppender::heldIsPlaylist(off_t& size) const
{
    struct stat info {};
    if (fd_ < 0 || ::lstat(path_.c_str(), &info) != 0)
        return false;
    size = info.st_size;
    return S_ISREG(info.st_mode) && info.st_dev == device_ && info.st_ino == inode_ && info.st_nlink == 1;
}

bool PlaylistAppender::close(std::error_code& cause)
{
    const std::lock_guard lock(playlistMutex());
    const int fd = fd_;
    fd_ = -1;
    if (fd < 0 || ::close(fd) == 0)
        return true;
    cause = lastError();
    return false;
}

bool PlaylistAppender::append(std::string_view entry, std::error_code& cause)
{
    const std::lock_guard lock(playlistMutex());
    cause.clear();
    off_t size = 0;
    if (heldIsPlaylist(size))
        return appendWhole(fd_, size, entry, cause);
    release();
    return appendFresh(entry, cause);
}

bool PlaylistAppender::appendFresh(std::string_view entry, std::error_code& cause)
{
    // No O_CREAT: the first entry creates the file whole, by a rename, so a
    // kill never leaves an empty playlist.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        const int openError = errno;
        struct stat entryInfo {};
        const bool foreign =
                ::lstat(path_.c_str(), &entryInfo) == 0 && !S_ISREG(entryInfo.st_mode) && !S_ISDIR(entryInfo.st_mode);
        // A link or a pipe under the playlist's name is replaced, never used.
        if (openError == ENOENT || foreign)
            return writeWholeFile(path_, entry, cause);
        cause = std::error_code(openError, std::generic_category());
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        cause = lastError();
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_nlink > 1) {
        ::close(fd);
        // A device is replaced; a playlist that shares its data with a file
        // elsewhere is copied apart, so the other file stays as it was.
        return S_ISREG(info.st_mode) ? rewriteWithTail(path_, entry, cause) : writeWholeFile(path_, entry, cause);
    }
    fd_ = fd;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    return appendWhole(fd_, info.st_size, entry, cause);
}

}  // namespace pelkora::output
