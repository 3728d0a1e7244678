#include "platform/process.h"

#include <unistd.h>

// After a C library header, which says whether this is glibc.
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/system_error.h"

namespace pelkora::platform {

namespace fs = std::filesystem;

std::vector<std::string> programArguments(int argc, char** argv)
{
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

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

// A picture decoded on a worker is freed on the writer. By default each
// worker's heap hands those pages back and faults them in again for the next
// picture, which costs more than decoding on two cores saves.
void keepFreedMemoryForReuse()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
#endif
}

}  // namespace pelkora::platform
