#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/system_error.h"

namespace pelkora::platform {

namespace fs = std::filesystem;

namespace {

int fdOf(File::Handle handle) { return static_cast<int>(handle); }

FileStatus statusFrom(const struct stat& info)
{
    FileStatus status;
    status.kind = S_ISREG(info.st_mode) ? EntryKind::Regular : S_ISDIR(info.st_mode) ? EntryKind::Folder
                                                                                     : EntryKind::Other;
    status.size = static_cast<std::uint64_t>(info.st_size > 0 ? info.st_size : 0);
    status.links = static_cast<std::uint64_t>(info.st_nlink);
    status.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return status;
}

// O_NOFOLLOW refuses a link; O_NONBLOCK keeps a pipe without a reader from
// blocking the open. Anything opened that is not a regular file is closed
// again.
File openRegular(const fs::path& path, WriteMode mode)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK
                      | (mode == WriteMode::Create ? O_TRUNC : O_APPEND);
    File file(::open(path.c_str(), flags, 0666));
    FileStatus status;
    std::error_code ignored;
    if (file.isOpen() && (!file.status(status, ignored) || status.kind != EntryKind::Regular))
        return {};
    // O_NONBLOCK stays: it has no effect on a regular file.
    return file;
}

// True when the name is taken by something a write must not go through.
bool isForeignEntry(const fs::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

}  // namespace

bool statusOf(const fs::path& path, Links links, FileStatus& status, std::error_code& cause)
{
    struct stat info {};
    const int result = links == Links::Own ? ::lstat(path.c_str(), &info) : ::stat(path.c_str(), &info);
    if (result != 0) {
        cause = lastSystemError();
        return false;
    }
    status = statusFrom(info);
    return true;
}

bool makeFolder(const fs::path& path, std::error_code& cause)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    cause = lastSystemError();
    return false;
}

File::~File()
{
    if (isOpen())
        ::close(fdOf(handle_));
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        if (isOpen())
            ::close(fdOf(handle_));
        handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
}

bool File::status(FileStatus& status, std::error_code& cause) const
{
    struct stat info {};
    if (::fstat(fdOf(handle_), &info) != 0) {
        cause = lastSystemError();
        return false;
    }
    status = statusFrom(info);
    return true;
}

bool File::writeAll(std::string_view bytes, std::size_t& written, std::error_code& cause)
{
    written = 0;
    while (written < bytes.size()) {
        const ssize_t done = ::write(fdOf(handle_), bytes.data() + written, bytes.size() - written);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            cause = done < 0 ? lastSystemError() : std::make_error_code(std::errc::no_space_on_device);
            return false;
        }
        written += static_cast<std::size_t>(done);
    }
    return true;
}

bool File::writeAll(std::string_view bytes, std::error_code& cause)
{
    std::size_t written = 0;
    return writeAll(bytes, written, cause);
}

bool File::read(void* buffer, std::size_t size, std::size_t& got, std::error_code& cause)
{
    ssize_t done = -1;
    do
        done = ::read(fdOf(handle_), buffer, size);
    while (done < 0 && errno == EINTR);
    if (done < 0) {
        cause = lastSystemError();
        got = 0;
        return false;
    }
    got = static_cast<std::size_t>(done);
    return true;
}

bool File::truncate(std::uint64_t size) { return ::ftruncate(fdOf(handle_), static_cast<off_t>(size)) == 0; }

bool File::close(std::error_code& cause)
{
    const int fd = fdOf(std::exchange(handle_, kNone));
    if (fd < 0 || ::close(fd) == 0)
        return true;
    cause = lastSystemError();
    return false;
}

std::FILE* File::intoStream(WriteMode mode)
{
    std::FILE* stream = ::fdopen(fdOf(handle_), mode == WriteMode::Create ? "wb" : "ab");
    if (stream != nullptr)
        handle_ = kNone;
    return stream;
}

File openOutput(const fs::path& path, WriteMode mode)
{
    File file = openRegular(path, mode);
    if (!file.isOpen() && isForeignEntry(path) && ::unlink(path.c_str()) == 0)
        file = openRegular(path, mode);
    return file;
}

File openForAppend(const fs::path& path, std::error_code& cause)
{
    File file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!file.isOpen())
        cause = lastSystemError();
    return file;
}

File openForReading(const fs::path& path, Links links, std::error_code& cause)
{
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::Own ? O_NOFOLLOW : 0);
    File file(::open(path.c_str(), flags));
    if (!file.isOpen())
        cause = lastSystemError();
    return file;
}

std::FILE* openReadStream(const fs::path& path) { return std::fopen(path.c_str(), "rb"); }

}  // namespace pelkora::platform
