#include "platform/ancestry.h"

#include <string>

#include "platform/files.h"
#include "platform/system_error.h"
#include "platform/win32_handle.h"

namespace pelkora::platform {

namespace {

File openFolder(const std::wstring& path, std::error_code& cause)
{
    const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        cause = lastSystemError();
        // wine leaves no reason for a missing folder opened with backup
        // semantics; the attributes say it.
        if (!cause && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            cause = lastSystemError();
    }
    return File(fromHandle(handle));
}

bool identify(const File& folder, FileIdentity& identity, std::error_code& cause)
{
    FileStatus status;
    if (!folder.status(status, cause))
        return false;
    identity = status.identity;
    return true;
}

// The folder's own path as the system resolved it, with the "\\?\" prefix
// that lifts the length limit: links and junctions on the way are gone
// from it, so its text parent is the folder's real parent.
bool finalPathOf(const File& folder, std::wstring& path, std::error_code& cause)
{
    path.assign(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(asHandle(folder.handle()), path.data(),
                                                       static_cast<DWORD>(path.size()), VOLUME_NAME_DOS);
        if (length == 0) {
            cause = lastSystemError();
            return false;
        }
        if (length < path.size()) {
            path.resize(length);
            return true;
        }
        path.assign(length, L'\0');
    }
    cause = std::make_error_code(std::errc::filename_too_long);
    return false;
}

// Where the volume's root ends in a final path: after "\\?\C:\", or after
// "\\?\UNC\server\share\".
std::size_t rootLength(const std::wstring& path)
{
    const std::wstring unc = L"\\\\?\\UNC\\";
    std::size_t end = path.find(L'\\', 4);
    if (path.compare(0, unc.size(), unc) == 0) {
        const std::size_t server = path.find(L'\\', unc.size());
        end = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    }
    return end == std::wstring::npos ? path.size() : end + 1;
}

// The path without its last name; empty at the volume's root.
std::wstring parentOf(const std::wstring& path)
{
    const std::size_t root = rootLength(path);
    std::size_t end = path.size();
    while (end > root && path[end - 1] == L'\\')
        --end;
    if (end <= root)
        return {};
    const std::size_t slash = path.rfind(L'\\', end - 1);
    return path.substr(0, slash == std::wstring::npos || slash + 1 < root ? root : slash + 1);
}

}  // namespace

Ancestry ancestryOf(const std::filesystem::path& folder, const std::filesystem::path& ancestor,
                    std::error_code& cause)
{
    const File top = openFolder(ancestor.wstring(), cause);
    if (!top.isOpen()) {
        // A folder that is not there holds nothing.
        return cause == std::errc::no_such_file_or_directory ? Ancestry::Outside : Ancestry::Unknown;
    }
    FileIdentity target;
    if (!identify(top, target, cause))
        return Ancestry::Unknown;
    File current = openFolder(folder.wstring(), cause);
    std::wstring path;
    if (!current.isOpen() || !finalPathOf(current, path, cause))
        return Ancestry::Unknown;
    while (true) {
        FileIdentity identity;
        if (!identify(current, identity, cause))
            return Ancestry::Unknown;
        if (identity == target)
            return Ancestry::Inside;
        path = parentOf(path);
        if (path.empty())
            return Ancestry::Outside;
        current = openFolder(path, cause);
        if (!current.isOpen())
            return Ancestry::Unknown;
    }
}

}  // namespace pelkora::platform
