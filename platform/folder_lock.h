#pragma once
// A lock on a folder itself, between processes and between the threads of
// one: no lock file ever appears in the folder. Writers hold it exclusive;
// readers that must not see a package half-written hold it shared, beside
// each other.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <system_error>

namespace pelkora::platform {

enum class LockSharing { Exclusive, Shared };

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
    // the cause, when the folder could not be opened or locked. A wait
    // ends, with a cause equal to interrupted, once interruption() notes a
    // request to stop (platform/interruption.h).
    bool lock(const std::filesystem::path& folder, const std::function<void()>& onWait, std::error_code& cause)
    {
        return lock(folder, LockSharing::Exclusive, onWait, cause);
    }
    bool lock(const std::filesystem::path& folder, LockSharing sharing, const std::function<void()>& onWait,
              std::error_code& cause);
    bool held() const { return handle_ != -1; }
    void release();

private:
    std::intptr_t handle_ = -1;
};

}  // namespace pelkora::platform
