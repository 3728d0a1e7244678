// The program the commands run never loads the widget libraries, and hands
// the dialog to the program beside it.
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

TEST(DialogProgram, TheCommandsRunWithoutTheWidgetLibraries)
{
    const std::string listed = loadedLibraries(PELKORA_BINARY);
    ASSERT_NE(listed.find("libQt6Gui"), std::string::npos) << listed;
    EXPECT_EQ(listed.find("libQt6Widgets"), std::string::npos) << listed;
}

#ifdef PELKORA_DIALOG_PROGRAM
TEST(DialogProgram, TheDialogProgramLiesBesideTheCommandsAndSaysWhenItIsMissing)
{
    const std::filesystem::path built(PELKORA_BINARY);
    EXPECT_TRUE(std::filesystem::is_regular_file(built.parent_path() / "pelkora-dialog"));
    EXPECT_NE(loadedLibraries((built.parent_path() / "pelkora-dialog").string()).find("libQt6Widgets"),
              std::string::npos);

    // Alone in a folder, asked for the dialog where a display is named.
    TempDir dir;
    const std::filesystem::path alone = dir / "pelkora";
    std::filesystem::copy_file(built, alone);
    const std::string command = "cd " + shellQuoted(dir.path().string()) + " && DISPLAY=:99 " + shellQuoted(alone)
                                + " > out.txt 2> err.txt < /dev/null";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2);
    const std::string err = TempDir::read(dir / "err.txt");
    EXPECT_NE(err.find("cannot start the dialog program " + (dir / "pelkora-dialog").string()), std::string::npos)
            << err;
    EXPECT_FALSE(std::filesystem::exists(dir / "adv"));
}
#endif

}  // namespace
