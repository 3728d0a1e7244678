#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/system_error.h"

namespace pelkora::platform {

namespace {

int lockRetrying(int fd, int operation)
{
    int result = -1;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

FolderLock::~FolderLock() { release(); }

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        release();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

bool FolderLock::lock(const std::filesystem::path& folder, const std::function<void()>& onWait,
                      std::error_code& cause)
{
    release();
    // The folder itself is locked: an open of it for reading is all flock needs.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        cause = lastSystemError();
        return false;
    }
    if (lockRetrying(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        if (taken && onWait)
            onWait();
        if (!taken || lockRetrying(fd, LOCK_EX) != 0) {
            cause = lastSystemError();
            ::close(fd);
            return false;
        }
    }
    handle_ = fd;
    return true;
}

void FolderLock::release()
{
    // Closing the only descriptor of the open folder lets go of the lock.
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
}

}  // namespace pelkora::platform
