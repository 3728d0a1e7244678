#include "output/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pelkora::output {

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

int lockRetrying(int fd, int operation)
{
    int result = -1;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, const std::function<void()>& onWait)
{
    // The folder itself is locked: an open of it for reading is all flock needs.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        outcome_ = Outcome(Status::CannotLock, lastError());
        return;
    }
    if (lockRetrying(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            outcome_ = Outcome(Status::CannotLock, lastError());
            ::close(fd);
            return;
        }
        if (onWait)
            onWait();
        if (lockRetrying(fd, LOCK_EX) != 0) {
            outcome_ = Outcome(Status::CannotLock, lastError());
            ::close(fd);
            return;
        }
    }
    fd_ = fd;
}

FolderLock::~FolderLock() { release(); }

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)), outcome_(other.outcome_) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        outcome_ = other.outcome_;
    }
    return *this;
}

void FolderLock::release()
{
    // Closing the only descriptor of the open folder lets go of the lock.
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

}  // namespace pelkora::output
