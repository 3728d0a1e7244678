#include "platform/process.h"

#include <unistd.h>

#include "platform/system_error.h"

namespace pelkora::platform {

namespace fs = std::filesystem;

// The kernel's link where there is one.
fs::path runningProgramFolder(const char* argv0)
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error && self.has_parent_path())
        return self.parent_path();
    const fs::path named = argv0 != nullptr ? fs::path(argv0) : fs::path();
    return named.has_parent_path() ? named.parent_path() : fs::path(".");
}

int runInstead(const fs::path& program, char** argv, std::error_code& cause)
{
    ::execv(program.c_str(), argv);
    cause = lastSystemError();
    return -1;
}

}  // namespace pelkora::platform
