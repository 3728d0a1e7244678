#include "platform/files.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <utility>

#include "platform/system_error.h"
#include "platform/win32_handle.h"

namespace pelkora::platform {

namespace fs = std::filesystem;

namespace {

std::uint64_t joined(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

bool statusOfHandle(HANDLE handle, FileStatus& status, std::error_code& cause)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        cause = lastSystemError();
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        status.kind = EntryKind::Other;
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        status.kind = EntryKind::Folder;
    else
        status.kind = GetFileType(handle) == FILE_TYPE_DISK ? EntryKind::Regular : EntryKind::Other;
    status.size = joined(info.nFileSizeHigh, info.nFileSizeLow);
    // A file deleted while open keeps its name until the last handle goes:
    // it has no names left, as on POSIX systems.
    FILE_STANDARD_INFO standard{};
    const bool deleted = GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)
                         && standard.DeletePending;
    status.links = deleted ? 0 : info.nNumberOfLinks;
    status.identity = {info.dwVolumeSerialNumber, joined(info.nFileIndexHigh, info.nFileIndexLow)};
    return true;
}

// Folders open only with backup semantics; a link is opened as itself
// with Links::Own.
File openHandle(const fs::path& path, DWORD access, DWORD disposition, Links links, std::error_code& cause)
{
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS
                        | (links == Links::Own ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE handle = CreateFileW(path.c_str(), access, kShareAll, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        cause = lastSystemError();
    return File(fromHandle(handle));
}

// A regular file opened for writing, else nothing.
File openRegular(const fs::path& path, WriteMode mode)
{
    std::error_code ignored;
    File file = openHandle(path, GENERIC_WRITE, mode == WriteMode::Create ? CREATE_ALWAYS : OPEN_ALWAYS, Links::Own,
                           ignored);
    FileStatus status;
    if (file.isOpen() && (!file.status(status, ignored) || status.kind != EntryKind::Regular))
        return {};
    return file;
}

// A link, a device name or anything else that is neither a file nor a folder.
bool isForeignEntry(const fs::path& path)
{
    FileStatus status;
    std::error_code ignored;
    return statusOf(path, Links::Own, status, ignored) && status.kind == EntryKind::Other;
}

}  // namespace

bool statusOf(const fs::path& path, Links links, FileStatus& status, std::error_code& cause)
{
    const File file = openHandle(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING, links, cause);
    return file.isOpen() && statusOfHandle(asHandle(file.handle()), status, cause);
}

bool makeFolder(const fs::path& path, std::error_code& cause)
{
    if (CreateDirectoryW(path.c_str(), nullptr))
        return true;
    cause = lastSystemError();
    // Wine's first call of a process can fail on a name already taken
    // without saying so (the last error stays 0): the caller must still
    // learn that the name exists, or a second start could not reuse adv/.
    if (!cause && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        cause = std::make_error_code(std::errc::file_exists);
    return false;
}

File::~File()
{
    if (isOpen())
        CloseHandle(asHandle(handle_));
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        if (isOpen())
            CloseHandle(asHandle(handle_));
        handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
}

bool File::status(FileStatus& status, std::error_code& cause) const
{
    return statusOfHandle(asHandle(handle_), status, cause);
}

// Every file here grows at its end only, so each write goes there: what
// an append does, and for a file written from its start the same place.
bool File::writeAll(std::string_view bytes, std::size_t& written, std::error_code& cause)
{
    written = 0;
    const HANDLE handle = asHandle(handle_);
    if (!SetFilePointerEx(handle, LARGE_INTEGER{}, nullptr, FILE_END)) {
        cause = lastSystemError();
        return false;
    }
    while (written < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(handle, bytes.data() + written, piece, &done, nullptr)) {
            cause = lastSystemError();
            return false;
        }
        if (done == 0) {
            cause = std::make_error_code(std::errc::no_space_on_device);
            return false;
        }
        written += done;
    }
    return true;
}

bool File::writeAll(std::string_view bytes, std::error_code& cause)
{
    std::size_t written = 0;
    return writeAll(bytes, written, cause);
}

bool File::read(void* buffer, std::size_t size, std::size_t& got, std::error_code& cause)
{
    got = 0;
    DWORD done = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(asHandle(handle_), buffer, piece, &done, nullptr)) {
        // A pipe whose writer has gone has simply ended.
        if (GetLastError() == ERROR_BROKEN_PIPE)
            return true;
        cause = lastSystemError();
        return false;
    }
    got = done;
    return true;
}

bool File::truncate(std::uint64_t size)
{
    LARGE_INTEGER position{};
    position.QuadPart = static_cast<LONGLONG>(size);
    return SetFilePointerEx(asHandle(handle_), position, nullptr, FILE_BEGIN) && SetEndOfFile(asHandle(handle_));
}

bool File::close(std::error_code& cause)
{
    const File::Handle handle = std::exchange(handle_, kNone);
    if (handle == kNone || CloseHandle(asHandle(handle)))
        return true;
    cause = lastSystemError();
    return false;
}

std::FILE* File::intoStream(WriteMode mode)
{
    const int flags = _O_BINARY | (mode == WriteMode::Append ? _O_APPEND : 0);
    const int fd = _open_osfhandle(handle_, flags);
    if (fd < 0) {
        std::error_code ignored;
        close(ignored);
        return nullptr;
    }
    handle_ = kNone;  // the descriptor owns it now
    std::FILE* stream = _fdopen(fd, mode == WriteMode::Create ? "wb" : "ab");
    if (stream == nullptr)
        _close(fd);
    return stream;
}

File openOutput(const fs::path& path, WriteMode mode)
{
    File file = openRegular(path, mode);
    if (!file.isOpen() && isForeignEntry(path) && DeleteFileW(path.c_str()))
        file = openRegular(path, mode);
    return file;
}

File openForAppend(const fs::path& path, std::error_code& cause)
{
    File file = openHandle(path, GENERIC_WRITE, OPEN_EXISTING, Links::Own, cause);
    if (!file.isOpen())
        cause = folderInTheWay(path.c_str(), cause);
    return file;
}

File openForReading(const fs::path& path, Links links, std::error_code& cause)
{
    return openHandle(path, GENERIC_READ, OPEN_EXISTING, links, cause);
}

std::FILE* openReadStream(const fs::path& path) { return _wfopen(path.c_str(), L"rb"); }

}  // namespace pelkora::platform
