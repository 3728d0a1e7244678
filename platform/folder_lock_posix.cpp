#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/interruption.h"
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

// A blocking flock is restarted after a noted signal, so a wait could not
// be stopped: the lock is tried again at short intervals instead.
constexpr auto kRetryInterval = std::chrono::milliseconds(20);

bool waitForLock(int fd, int operation)
{
    while (lockRetrying(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return false;
        if (interruption() != 0) {
            errno = EINTR;
            return false;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
    return true;
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

bool FolderLock::lock(const std::filesystem::path& folder, LockSharing sharing, const std::function<void()>& onWait,
                      std::error_code& cause)
{
    release();
    // The folder itself is locked: an open of it for reading is all flock needs.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        cause = lastSystemError();
        return false;
    }
    const int operation = sharing == LockSharing::Shared ? LOCK_SH : LOCK_EX;
    if (lockRetrying(fd, operation | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        if (taken && onWait)
            onWait();
        if (!taken || !waitForLock(fd, operation)) {
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
