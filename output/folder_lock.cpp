#include "output/folder_lock.h"

#include <utility>

namespace pelkora::output {

FolderLock::FolderLock(const std::filesystem::path& folder, const std::function<void()>& onWait)
{
    std::error_code cause;
    if (!lock_.lock(folder, onWait, cause))
        outcome_ = Outcome(Status::CannotLock, cause);
}

}  // namespace pelkora::output
