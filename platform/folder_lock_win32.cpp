#include "platform/folder_lock.h"

#include <utility>

#include "platform/system_error.h"
#include "platform/win32_handle.h"

namespace pelkora::platform {

namespace {

// The whole range a lock can name: the folder itself, not bytes of it.
constexpr DWORD kWholeRange = MAXDWORD;

bool lockHandle(HANDLE handle, DWORD flags)
{
    OVERLAPPED at{};
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, kWholeRange, kWholeRange, &at) != 0;
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
    const HANDLE handle = CreateFileW(folder.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        cause = lastSystemError();
        return false;
    }
    if (!lockHandle(handle, LOCKFILE_FAIL_IMMEDIATELY)) {
        const bool taken = GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING;
        if (taken && onWait)
            onWait();
        if (!taken || !lockHandle(handle, 0)) {
            cause = lastSystemError();
            CloseHandle(handle);
            return false;
        }
    }
    handle_ = fromHandle(handle);
    return true;
}

void FolderLock::release()
{
    // Closing the handle lets go of its lock.
    if (handle_ != -1)
        CloseHandle(asHandle(handle_));
    handle_ = -1;
}

}  // namespace pelkora::platform
