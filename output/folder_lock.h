#pragma once
// While a run writes the output folder it holds an exclusive advisory lock
// on the folder itself, so two runs writing the same package never mix
// their files and lines, and no lock file ever appears in the package.
// Every writer of the folder (a headless run, each of the dialog's
// commands) takes it for as long as it writes, an animation's capture
// included. The review commands that read a whole package take it shared,
// so they never see one half-written.

#include <filesystem>
#include <functional>

#include "core/status.h"
#include "platform/files.h"
#include "platform/folder_lock.h"

namespace pelkora::output {

class FolderLock {
public:
    // Not held.
    FolderLock() = default;
    // Opens folder and locks it. When another process holds the lock,
    // onWait is called once and the call blocks until the lock is ours.
    // outcome() tells whether it was taken.
    explicit FolderLock(const std::filesystem::path& folder, const std::function<void()>& onWait = {},
                        platform::LockSharing sharing = platform::LockSharing::Exclusive);

    bool held() const { return lock_.held(); }
    // CannotLock with the cause when the folder could not be opened or locked.
    const Outcome& outcome() const { return outcome_; }
    void release() { lock_.release(); }
    // Whether the folder's name still leads to the folder locked: false once
    // it was moved away (kept as the previous package) or swapped.
    bool namesFolder() const;

private:
    platform::FolderLock lock_;
    Outcome outcome_{Status::Ok};
    std::filesystem::path folder_;
    platform::FileIdentity identity_;
};

}  // namespace pelkora::output
