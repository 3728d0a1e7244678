#pragma once
// A File's integer handle as the HANDLE it is on Windows, and back.

#include <windows.h>

#include <system_error>

#include "platform/files.h"

namespace pelkora::platform {

inline HANDLE asHandle(File::Handle handle) { return reinterpret_cast<HANDLE>(handle); }

inline File::Handle fromHandle(HANDLE handle)
{
    return handle == INVALID_HANDLE_VALUE ? File::kNone : reinterpret_cast<File::Handle>(handle);
}

// Other openers may read, write, rename and delete what we hold open, as on
// POSIX systems: a held playlist never keeps the folder from being emptied.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Windows refuses to open or replace a folder as a file with "access
// denied"; POSIX systems say what the callers test for, "is a directory".
inline std::error_code folderInTheWay(const wchar_t* path, const std::error_code& cause)
{
    const DWORD attributes = GetFileAttributesW(path);
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                        && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return cause == std::errc::permission_denied && folder ? std::make_error_code(std::errc::is_a_directory) : cause;
}

}  // namespace pelkora::platform
