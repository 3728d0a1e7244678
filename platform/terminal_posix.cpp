#include "platform/terminal.h"

#include <unistd.h>

namespace pelkora::platform {

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool StandardErrorRedirect::redirectTo(std::FILE* file)
{
    if (redirected())
        return false;
    const int saved = ::dup(STDERR_FILENO);
    if (saved < 0 || ::dup2(::fileno(file), STDERR_FILENO) < 0) {
        if (saved >= 0)
            ::close(saved);
        return false;
    }
    saved_ = saved;
    return true;
}

void StandardErrorRedirect::restore()
{
    if (!redirected())
        return;
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    saved_ = -1;
}

}  // namespace pelkora::platform
