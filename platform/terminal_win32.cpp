#include "platform/terminal.h"

#include <windows.h>

#include <io.h>

namespace pelkora::platform {

namespace {

constexpr int kStandardError = 2;

}  // namespace

bool standardErrorIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardErrorRedirect::redirectTo(std::FILE* file)
{
    if (redirected())
        return false;
    const int saved = _dup(kStandardError);
    if (saved < 0 || _dup2(_fileno(file), kStandardError) < 0) {
        if (saved >= 0)
            _close(saved);
        return false;
    }
    saved_ = saved;
    return true;
}

void StandardErrorRedirect::restore()
{
    if (!redirected())
        return;
    _dup2(saved_, kStandardError);
    _close(saved_);
    saved_ = -1;
}

}  // namespace pelkora::platform
