// The commands that edit a written package, each on a sound package and
// each followed by --check; and an edit killed at any moment.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/gif_builder.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using pelkora::testing::ProgramRun;
using pelkora::testing::runPelkora;
using pelkora::testing::TempDir;
using Args = std::vector<std::string>;

// A still, a three-frame animation and a text of three pages.
void writeSources(const TempDir& work)
{
    using namespace pelkora::testing;
    const std::vector<std::uint8_t> still = makeGif(4, 2, {0x000000, 0xFFFFFF}, {solidFrame(0, 0, 4, 2, 1)});
    const std::vector<std::uint8_t> anim = makeGif(
            3, 3, {0x000000, 0xFFFFFF},
            {solidFrame(0, 0, 3, 3, 0, 10), solidFrame(0, 0, 3, 3, 1, 10), solidFrame(0, 0, 3, 3, 0, 10)});
    work.write("in/logo.gif", std::string(still.begin(), still.end()));
    work.write("in/anim.gif", std::string(anim.begin(), anim.end()));
    work.write("in/notes.txt", std::string(130, 'a'));
}

constexpr const char* kPackage = "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\n"
                                 "notes-01.txt,6000\nnotes-02.txt,6000\nnotes-03.txt,6000\n";

TEST(PackageEdits, EachEditOfASoundPackageLeavesItSound)
{
    const struct {
        const char* name;
        std::vector<Args> steps;
        const char* playlist;
        std::vector<const char*> gone;  // files no line names any more
        int status;                     // the last step's exit status
        int check;                      // --check's exit status afterwards
    } rows[] = {
            {"remove a still", {{"--remove", "logo.dob"}},
             "anim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\nnotes-03.txt,6000\n",
             {"logo.dob"}, 0, 0},
            {"remove every page of a text", {{"--remove", "--all-of", "notes"}},
             "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\n",
             {"notes-01.txt", "notes-02.txt", "notes-03.txt"}, 0, 0},
            {"move", {{"--move", "notes-02.txt", "1"}},
             "notes-02.txt,6000\nlogo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\n"
             "notes-01.txt,6000\nnotes-03.txt,6000\n",
             {}, 0, 0},
            {"set a time", {{"--set-time", "anim-03.dob", "2000"}, {"--set-time-all", "text", "4000"}},
             "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,2000\n\n"
             "notes-01.txt,4000\nnotes-02.txt,4000\nnotes-03.txt,4000\n",
             {}, 0, 0},
            {"re-add a shorter text, replacing", {{"--quiet", "--replace", "--add", "in/short/notes.txt"}},
             "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\nnotes-01.txt,6000\nnotes-02.txt,6000\n",
             {"notes-03.txt"}, 0, 0},
            {"re-add a shorter text, appending: its third page is stale", {{"--quiet", "--add", "in/short/notes.txt"}},
             "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\n"
             "notes-01.txt,6000\nnotes-02.txt,6000\nnotes-03.txt,6000\nnotes-01.txt,6000\nnotes-02.txt,6000\n",
             {}, 0, 1},
            {"delete all, then restore", {{"--quiet", "--delete-all"}, {"--restore"}}, kPackage, {}, 0, 0},
            {"a restore undone by another", {{"--quiet", "--delete-all"}, {"--restore"}, {"--restore"}}, nullptr,
             {"logo.dob"}, 0, 1},
            {"an unknown name changes nothing", {{"--remove", "logo.dob", "gone.dob"}}, kPackage, {}, 1, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir work;
        writeSources(work);
        work.write("in/short/notes.txt", std::string(80, 'b'));
        fs::rename(work / "in/short/notes.txt", work / "in/short/notes.txt");
        ASSERT_EQ(runPelkora(work.path(), {"--quiet", "--add", "in/logo.gif", "in/anim.gif", "in/notes.txt"}).status, 0);
        ASSERT_EQ(TempDir::read(work / "adv/advertising.index"), kPackage);
        ProgramRun run;
        for (const Args& step : row.steps)
            run = runPelkora(work.path(), step);
        EXPECT_EQ(run.status, row.status) << run.err;
        if (row.playlist) {
            EXPECT_EQ(TempDir::read(work / "adv/advertising.index"), row.playlist);
        }
        for (const char* name : row.gone)
            EXPECT_FALSE(fs::exists(work / "adv" / name)) << name;
        const ProgramRun check = runPelkora(work.path(), {"--check"});
        EXPECT_EQ(check.status, row.check) << check.out;
    }
}

TEST(PackageEdits, AKilledEditLeavesTheOldPlaylistOrTheNew)
{
    TempDir work;
    std::string before;
    std::string after;
    for (int i = 0; i < 20000; ++i) {
        const std::string name = "p" + std::to_string(i) + ".dob";
        work.write("adv/" + name, std::string("\x01\x01\x00", 3));
        before += name + ",3000\n\n";
        after += name + (i == 0 ? ",7\n\n" : ",3000\n\n");
    }
    work.write("adv/advertising.index", before);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(runPelkora(work.path(), {"--quiet", "--set-time", "p0.dob", "7"}).status, 0);
    const auto took = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(TempDir::read(work / "adv/advertising.index"), after);
    work.write("adv/advertising.index", before);

    constexpr int kMoments = 12;
    for (int moment = 1; moment <= kMoments; ++moment) {
        SCOPED_TRACE("killed at moment " + std::to_string(moment));
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(work.path().c_str()) != 0)
                ::_exit(126);
            ::execl(PELKORA_BINARY, PELKORA_BINARY, "--quiet", "--set-time", "p0.dob", "7", nullptr);
            ::_exit(127);
        }
        std::this_thread::sleep_for(took * moment / (kMoments + 1));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string playlist = TempDir::read(work / "adv/advertising.index");
        EXPECT_TRUE(playlist == before || playlist == after) << playlist.size() << " bytes";
        work.write("adv/advertising.index", before);
    }
}

}  // namespace
