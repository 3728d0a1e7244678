#include "platform/folder.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/system_error.h"

namespace pelkora::platform {

namespace {

int fdOf(File::Handle handle) { return handle == File::kNone ? AT_FDCWD : static_cast<int>(handle); }

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

bool Folder::rename(const std::string& from, const std::string& to, std::error_code& cause) const
{
    if (::renameat(fdOf(handle_), from.c_str(), fdOf(handle_), to.c_str()) == 0)
        return true;
    cause = lastSystemError();
    return false;
}

void Folder::remove(const std::string& name) const { ::unlinkat(fdOf(handle_), name.c_str(), 0); }

}  // namespace pelkora::platform
