#pragma once
// Handing this process over to another program.

#include <filesystem>
#include <string>
#include <vector>
#include <system_error>

namespace pelkora::platform {

// The folder this program was started from: as the system knows it where
// it does, else the folder argv0 names, else ".".
std::filesystem::path runningProgramFolder(const char* argv0);

// Runs program with the same arguments (argv, ending in nullptr) in place of
// this process. Where the system replaces the process, this returns only
// when that failed; elsewhere it waits for the program and returns its exit
// status. -1, with the cause, when the program could not be started.
// On Windows the arguments are taken again from this process's wide
// command line, and a program named without a suffix is its ".exe".
int runInstead(const std::filesystem::path& program, char** argv, std::error_code& cause);

// The program's arguments after its own name, in UTF-8: argv as given on
// POSIX systems; on Windows read again from the wide command line, since
// the narrow argv loses what the code page cannot spell.
std::vector<std::string> programArguments(int argc, char** argv);

// Set once at start, before any thread: the heap keeps a few megabytes that
// were freed for the next allocation instead of handing them back.
void keepFreedMemoryForReuse();

}  // namespace pelkora::platform
