#pragma once
// Whether the tests run under wine rather than Windows itself. Wine keeps
// the name of a file deleted while open until its last handle goes, where
// Windows removes the name at once (or marks the file deleted); a test of
// what follows such a deletion cannot pass there.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace pelkora::testing {

inline bool runningUnderWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

}  // namespace pelkora::testing
