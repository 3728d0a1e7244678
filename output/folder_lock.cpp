#include "output/folder_lock.h"

#include <utility>


namespace pelkora::output {

namespace {

// A package kept as the previous one is moved away whole, lock and all: a
// lock waited for on the folder that went is tried again on the folder
// that now has the name. The bound only stops a folder renamed for ever.
constexpr int kMaxAttempts = 64;

bool identify(const std::filesystem::path& folder, platform::FileIdentity& identity)
{
    platform::FileStatus status;
    std::error_code ignored;
    if (!platform::statusOf(folder, platform::Links::Follow, status, ignored))
        return false;
    identity = status.identity;
    return true;
}

}  // namespace

FolderLock::FolderLock(const std::filesystem::path& folder, const std::function<void()>& onWait,
                       platform::LockSharing sharing)
{
    std::error_code cause;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        platform::FileIdentity before;
        platform::FileIdentity after;
        const bool known = identify(folder, before);
        if (!lock_.lock(folder, sharing, attempt == 0 ? onWait : std::function<void()>(), cause))
            break;
        if (!known || (identify(folder, after) && after == before)) {
            folder_ = folder;
            identity_ = after;
            return;
        }
        lock_.release();
    }
    outcome_ = Outcome(Status::CannotLock, cause);
}

}  // namespace pelkora::output

namespace pelkora::output {

bool FolderLock::namesFolder() const
{
    platform::FileIdentity now;
    return held() && identify(folder_, now) && now == identity_;
}

}  // namespace pelkora::output
