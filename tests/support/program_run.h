#pragma once
// Runs the built program as a person would, in a folder of its own, and
// hands back its exit status and what it printed.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace pelkora::testing {

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Strings are built by appending: the optimised build warns of overlaps in
// chains of operator+.
inline std::string shellQuoted(const std::string& text)
{
    std::string result(1, '\'');
    for (char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    result += '\'';
    return result;
}

inline ProgramRun runPelkora(const std::filesystem::path& workDirectory, const std::vector<std::string>& args)
{
    std::string command = "cd ";
    command += shellQuoted(workDirectory.string());
    command += " && ";
    command += shellQuoted(PELKORA_BINARY);
    for (const std::string& arg : args) {
        command += ' ';
        command += shellQuoted(arg);
    }
    const std::filesystem::path out = workDirectory / ".out";
    const std::filesystem::path err = workDirectory / ".err";
    command += " > ";
    command += shellQuoted(out.string());
    command += " 2> ";
    command += shellQuoted(err.string());
    command += " < /dev/null";
    ProgramRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = TempDir::read(out);
    run.err = TempDir::read(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

// Every package a test makes must pass the check the user runs before
// copying it onto the device.
inline void expectSoundPackage(const std::filesystem::path& workDirectory)
{
    const ProgramRun check = runPelkora(workDirectory, {"--check"});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_NE(check.out.find(": sound\n"), std::string::npos) << check.out;
}

}  // namespace pelkora::testing
