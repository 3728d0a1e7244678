#include "platform/folder_lock.h"

#include <string>
#include <utility>

#include "platform/interruption.h"
#include "platform/system_error.h"
#include "platform/win32_handle.h"

namespace pelkora::platform {

namespace {

// Windows locks byte ranges of files, not folders: the lock is taken on a
// file of the system's temporary folder named after the folder's identity,
// so that every spelling of the folder meets the same file and nothing
// appears in the folder itself. The system lets go of it when the process
// ends, however it ends.
std::wstring lockFileFor(const std::filesystem::path& folder, std::error_code& cause)
{
    const HANDLE handle = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info);
    if (!known)
        cause = lastSystemError();
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    if (!known)
        return {};
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        cause = std::make_error_code(std::errc::not_a_directory);
        return {};
    }
    wchar_t temporary[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temporary);
    if (length == 0 || length > MAX_PATH) {
        cause = lastSystemError();
        return {};
    }
    return std::wstring(temporary, length) + L"pelkora-" + std::to_wstring(info.dwVolumeSerialNumber) + L"-"
           + std::to_wstring(info.nFileIndexHigh) + L"-" + std::to_wstring(info.nFileIndexLow) + L".lock";
}

// The whole range a lock can name: the lock stands for the folder, not bytes.
bool lockHandle(HANDLE handle, LockSharing sharing)
{
    OVERLAPPED at{};
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (sharing == LockSharing::Exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    return LockFileEx(handle, flags, 0, MAXDWORD, MAXDWORD, &at) != 0;
}

bool heldByAnother() { return GetLastError() == ERROR_LOCK_VIOLATION || GetLastError() == ERROR_IO_PENDING; }

// Tried again at short intervals rather than waited for in one call, so
// that a request to stop ends the wait.
bool waitForLock(HANDLE handle, LockSharing sharing)
{
    while (!lockHandle(handle, sharing)) {
        if (!heldByAnother())
            return false;
        if (interruption() != 0) {
            SetLastError(ERROR_OPERATION_ABORTED);
            return false;
        }
        Sleep(20);
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
    const std::wstring lockFile = lockFileFor(folder, cause);
    if (lockFile.empty())
        return false;
    const HANDLE handle = CreateFileW(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        cause = lastSystemError();
        return false;
    }
    if (!lockHandle(handle, sharing)) {
        const bool taken = heldByAnother();
        if (taken && onWait)
            onWait();
        if (!taken || !waitForLock(handle, sharing)) {
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
