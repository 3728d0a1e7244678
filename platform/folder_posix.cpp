#include "platform/folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "platform/system_error.h"

namespace pelkora::platform {

namespace {

int fdOf(File::Handle handle) { return handle == File::kNone ? AT_FDCWD : static_cast<int>(handle); }

// An open file's entry among the process's own, through which an unnamed
// file can be linked without the privilege a link by descriptor alone needs.
std::string procEntry(const File& file) { return "/proc/self/fd/" + std::to_string(file.handle()); }

}  // namespace

Folder::Folder(const std::filesystem::path& folder)
        : handle_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)), path_(folder)
{
}

Folder::~Folder()
{
    if (isOpen())
        ::close(static_cast<int>(handle_));
}

// O_EXCL keeps the file ours: never one another writer or an attacker
// prepared under the name.
File Folder::createNew(const std::string& name, std::error_code& cause) const
{
    File file(::openat(fdOf(handle_), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!file.isOpen())
        cause = lastSystemError();
    return file;
}

File Folder::createUnnamed(const std::string& folderPrefix, std::error_code& cause) const
{
#ifdef O_TMPFILE
    const std::string where = isOpen() || folderPrefix.empty() ? std::string(".") : folderPrefix;
    File file(::openat(fdOf(handle_), where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!file.isOpen()) {
        cause = lastSystemError();
        return file;
    }
    // Without /proc the file could never be named: better a temporary name.
    if (::access(procEntry(file).c_str(), F_OK) != 0) {
        cause = lastSystemError();
        return {};
    }
    return file;
#else
    (void)folderPrefix;
    cause = std::make_error_code(std::errc::operation_not_supported);
    return {};
#endif
}

bool Folder::giveName(const File& file, const std::string& name, std::error_code& cause) const
{
    if (::linkat(AT_FDCWD, procEntry(file).c_str(), fdOf(handle_), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    cause = lastSystemError();
    return false;
}

bool Folder::rename(const std::string& from, const std::string& to, std::error_code& cause) const
{
    if (::renameat(fdOf(handle_), from.c_str(), fdOf(handle_), to.c_str()) == 0)
        return true;
    cause = lastSystemError();
    return false;
}

void Folder::remove(const std::string& name) const { ::unlinkat(fdOf(handle_), name.c_str(), 0); }

}  // namespace pelkora::platform
