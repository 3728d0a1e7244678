// The program the commands run loads no toolkit, and hands the dialog and
// the preview sheet to the programs beside it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace {

using pelkora::testing::shellQuoted;
using pelkora::testing::TempDir;

// What the dynamic loader would load for a program, without running it.
std::string loadedLibraries(const std::string& program)
{
    const std::string command = "LD_TRACE_LOADED_OBJECTS=1 " + shellQuoted(program) + " 2>&1";
    std::string listed;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
            listed.append(buffer, got);
        ::pclose(pipe);
    }
    return listed;
}

TEST(HandedProgram, TheCommandsRunWithoutAnyToolkit)
{
    const std::string listed = loadedLibraries(PELKORA_BINARY);
    ASSERT_NE(listed.find("libstdc++"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("libQt6"), std::string::npos) << listed;
}

// Each handed-over program lies beside pelkora with the toolkit library it
// needs; pelkora alone in a folder says which program is missing.
TEST(HandedProgram, LiesBesideTheCommandsAndIsNamedWhenMissing)
{
    struct Case {
        const char* program;
        const char* library;
        const char* arguments;
        const char* said;
    };
    const Case cases[] = {
#ifdef PELKORA_DIALOG_PROGRAM
            {"pelkora-dialog", "libQt6Widgets", "", "cannot start the dialog program "},
#endif
            {"pelkora-preview", "libQt6Gui", "--preview adv --to sheet.png", "cannot start the preview program "},
    };
    const std::filesystem::path built(PELKORA_BINARY);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_NE(loadedLibraries((built.parent_path() / c.program).string()).find(c.library), std::string::npos);

        // Alone in a folder; for the dialog, a display is named.
        TempDir dir;
        const std::filesystem::path alone = dir / "pelkora";
        std::filesystem::copy_file(built, alone);
        const std::string command = "cd " + shellQuoted(dir.path().string()) + " && DISPLAY=:99 " + shellQuoted(alone)
                                    + " " + c.arguments + " > out.txt 2> err.txt < /dev/null";
        const int raw = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(raw));
        EXPECT_EQ(WEXITSTATUS(raw), 2);
        const std::string err = TempDir::read(dir / "err.txt");
        EXPECT_NE(err.find(c.said + (dir / c.program).string()), std::string::npos) << err;
        EXPECT_FALSE(std::filesystem::exists(dir / "adv"));
        EXPECT_FALSE(std::filesystem::exists(dir / "sheet.png"));
    }
}

}  // namespace
