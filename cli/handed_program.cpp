#include "cli/handed_program.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "platform/process.h"

namespace pelkora::cli {

int runHandedProgram(const HandedProgram& handed, char** argv)
{
    const std::filesystem::path program = platform::runningProgramFolder(argv[0]) / handed.file;
    std::error_code cause;
    const int status = platform::runInstead(program, argv, cause);
    if (status >= 0)
        return status;
    std::cerr << "pelkora: cannot start the " << handed.what << " program " << program.string() << ": "
              << cause.message() << '\n';
    return 2;
}

}  // namespace pelkora::cli
