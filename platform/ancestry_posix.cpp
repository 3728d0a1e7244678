#include "platform/ancestry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/system_error.h"

namespace pelkora::platform {

namespace {

// A handle that only names the folder: walking up then needs the right to
// pass through each folder, not to list it.
#ifdef O_PATH
constexpr int kFolderOpen = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderOpen = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// A tree deeper than this is made to trap the walk, not to hold pictures.
constexpr int kMaxDepth = 1 << 20;

bool identify(const File& folder, FileIdentity& identity, std::error_code& cause)
{
    FileStatus status;
    if (!folder.status(status, cause))
        return false;
    identity = status.identity;
    return true;
}

}  // namespace

Ancestry ancestryOf(const std::filesystem::path& folder, const std::filesystem::path& ancestor,
                    std::error_code& cause)
{
    FileIdentity target;
    const File top(::open(ancestor.c_str(), kFolderOpen));
    if (!top.isOpen()) {
        cause = lastSystemError();
        return cause == std::errc::no_such_file_or_directory ? Ancestry::Outside : Ancestry::Unknown;
    }
    if (!identify(top, target, cause))
        return Ancestry::Unknown;
    File current(::open(folder.c_str(), kFolderOpen));
    if (!current.isOpen()) {
        cause = lastSystemError();
        return Ancestry::Unknown;
    }
    FileIdentity identity;
    if (!identify(current, identity, cause))
        return Ancestry::Unknown;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        if (identity == target)
            return Ancestry::Inside;
        File parent(::openat(static_cast<int>(current.handle()), "..", kFolderOpen));
        FileIdentity parentIdentity;
        if (!parent.isOpen()) {
            cause = lastSystemError();
            return Ancestry::Unknown;
        }
        if (!identify(parent, parentIdentity, cause))
            return Ancestry::Unknown;
        if (parentIdentity == identity)
            return Ancestry::Outside;  // the root is its own parent
        current = std::move(parent);
        identity = parentIdentity;
    }
    cause = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return Ancestry::Unknown;
}

}  // namespace pelkora::platform
