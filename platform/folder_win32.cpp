#include "platform/folder.h"

#include "platform/path_names.h"
#include "platform/system_error.h"
#include "platform/win32_handle.h"

namespace pelkora::platform {

namespace fs = std::filesystem;

namespace {

// Windows has no calls relative to a folder handle: the handle only shows
// that the folder was there, and names are joined to its path.
fs::path pathOf(const fs::path& folder, const std::string& name)
{
    return folder.empty() ? pathFromUtf8(name) : folder / pathFromUtf8(name);
}

}  // namespace

Folder::Folder(const fs::path& folder) : path_(folder)
{
    const HANDLE handle = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    handle_ = fromHandle(handle);
}

Folder::~Folder()
{
    if (isOpen())
        CloseHandle(asHandle(handle_));
}

// Windows names every file from its creation on.
File Folder::createUnnamed(const std::string&, std::error_code& cause) const
{
    cause = std::make_error_code(std::errc::operation_not_supported);
    return {};
}

bool Folder::giveName(const File&, const std::string&, std::error_code& cause) const
{
    cause = std::make_error_code(std::errc::operation_not_supported);
    return false;
}

// CREATE_NEW keeps the file ours; a link under the name is a taken name.
File Folder::createNew(const std::string& name, std::error_code& cause) const
{
    const HANDLE handle = CreateFileW(pathOf(path_, name).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        cause = lastSystemError();
    return File(fromHandle(handle));
}

// Write-through: the rename is on the disk when the call returns, as a
// rename of a file written whole has to be.
bool Folder::rename(const std::string& from, const std::string& to, std::error_code& cause) const
{
    const fs::path target = pathOf(path_, to);
    if (MoveFileExW(pathOf(path_, from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    cause = folderInTheWay(target.c_str(), lastSystemError());
    return false;
}

void Folder::remove(const std::string& name) const { DeleteFileW(pathOf(path_, name).c_str()); }

}  // namespace pelkora::platform
