#pragma once
// An exclusive lock on a folder itself, between processes and between the
// threads of one: no lock file ever appears in the folder.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <system_error>

namespace pelkora::platform {

class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Opens folder and locks it; when another holder has it, onWait is
    // called once and the call blocks until the lock is ours. False, with
    // the cause, when the folder could not be opened or locked.
    bool lock(const std::filesystem::path& folder, const std::function<void()>& onWait, std::error_code& cause);
    bool held() const { return handle_ != -1; }
    void release();

private:
    std::intptr_t handle_ = -1;
};

}  // namespace pelkora::platform
