#pragma once
// A File's integer handle as the HANDLE it is on Windows, and back.

#include <windows.h>

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

}  // namespace pelkora::platform
