#include "cli/dialog_program.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include <unistd.h>

namespace pelkora::cli {


namespace {

namespace fs = std::filesystem;

// The folder this program was started from: the kernel's link where there
// is one, else the folder the command named.
fs::path programFolder(const char* argv0)
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error && self.has_parent_path())
        return self.parent_path();
    const fs::path named = argv0 != nullptr ? fs::path(argv0) : fs::path();
    return named.has_parent_path() ? named.parent_path() : fs::path(".");
}

}  // namespace

int runDialogProgram(char** argv)
{
    const fs::path program = programFolder(argv[0]) / kDialogProgramName;
    ::execv(program.c_str(), argv);
    const int cause = errno;
    std::cerr << "pelkora: cannot start the dialog program " << program.string() << ": " << std::strerror(cause)
              << '\n';
    return 2;
}

}  // namespace pelkora::cli
