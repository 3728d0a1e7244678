#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/output_folder.h"
#include "support/temp_dir.h"
#include "support/posix_only.h"
#ifndef _WIN32
#include "support/unprivileged.h"
#endif

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::size_t countEntries(const fs::path& folder)
{
    std::size_t count = 0;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
        ++count;
    return count;
}

TEST(OutputFolder, EmptyingDeletesFilesAtEveryDepthAndKeepsFolders)
{
    const TempDir dir;
    const auto adv = outputFolderPath(dir.path());
    dir.write("adv/advertising.index", "a.dob,3000\n\n");
    dir.write("adv/a.dob", "x");
    dir.write("adv/sub/b.txt", "x");
    dir.write("adv/sub/deeper/c.txt", "x");
    fs::create_directories(adv / "sub/empty");

    const DeletionCount count = deleteFolderContents(adv);
    EXPECT_EQ(count.deleted, 4);
    EXPECT_EQ(count.failed, 0);

    EXPECT_TRUE(fs::is_directory(adv / "sub/deeper"));
    EXPECT_TRUE(fs::is_directory(adv / "sub/empty"));
    EXPECT_EQ(countEntries(adv), 3u);  // sub, sub/deeper, sub/empty
}

// What is left, as names below folder; links are listed, never entered.
std::set<std::string> entriesBelow(const fs::path& folder)
{
    std::set<std::string> names;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it)
        names.insert(it->path().lexically_relative(folder).generic_string());
    return names;
}

// Whatever the output folder holds or is, nothing beyond a link is touched.
TEST(OutputFolder, LinksAreNeverFollowedBeyondTheFolder)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const struct {
        const char* name;
        bool advIsALink;  // to the folder "target", else the folder itself
        std::set<std::string> left;
    } cases[] = {
            {"a folder: links go as links, files at every depth", false, {"sub", "sub/deeper"}},
            {"a link to a folder: only the files directly in it",
             true,
             {"sub", "sub/deeper", "sub/deeper/c.txt", "sub/b.txt", "sub/linked-again", "linked-folder",
              "linked-file.txt", "dangling"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const auto outsideFile = dir.write("outside/keep.txt", "keep");
        dir.write("outside/nested/keep2.txt", "keep");
        const fs::path target = dir / (c.advIsALink ? "target" : "adv");
        dir.write(target / "advertising.index", "a.dob,3000\n\n");
        dir.write(target / "a.dob", "x");
        dir.write(target / "sub/b.txt", "x");
        dir.write(target / "sub/deeper/c.txt", "x");
        fs::create_directory_symlink(dir / "outside", target / "linked-folder");
        fs::create_directory_symlink(dir / "outside", target / "sub/linked-again");
        fs::create_symlink(outsideFile, target / "linked-file.txt");
        fs::create_symlink(dir / "nowhere", target / "dangling");
        if (c.advIsALink)
            fs::create_directory_symlink(target, dir / "adv");

        deleteFolderContents(outputFolderPath(dir.path()));

        EXPECT_EQ(entriesBelow(target), c.left);
        EXPECT_EQ(entriesBelow(dir / "outside"), (std::set<std::string>{"keep.txt", "nested", "nested/keep2.txt"}));
        EXPECT_EQ(TempDir::read(outsideFile), "keep");
    }
}

TEST(OutputFolder, DeepTreeIsEmptied)
{
    PELKORA_SKIP_WITHOUT_POSIX("paths past 260 characters");
    const TempDir dir;
    const auto adv = outputFolderPath(dir.path());
    fs::path folder = adv;
    for (int depth = 0; depth < 150; ++depth) {
        folder /= "level";
        fs::create_directories(folder);
        std::ofstream(folder / "f.txt") << depth;
    }
    deleteFolderContents(adv);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_FALSE(fs::exists(folder / "f.txt"));
    EXPECT_EQ(countEntries(adv), 150u);
}

TEST(OutputFolder, EmptyingAMissingFolderCreatesNothing)
{
    const TempDir dir;
    EXPECT_EQ(deleteFolderContents(dir / "adv").deleted, 0);
    EXPECT_FALSE(fs::exists(dir / "adv"));
}

TEST(OutputFolder, PreparingCreatesOrEmptiesTheFolder)
{
    const TempDir dir;
    const auto adv = outputFolderPath(dir.path());
    prepareOutputFolder(adv);
    EXPECT_TRUE(fs::is_directory(adv));

    dir.write("adv/old.dob", "x");
    dir.write("adv/sub/old.txt", "x");
    prepareOutputFolder(adv);
    EXPECT_EQ(countEntries(adv), 1u);
    EXPECT_TRUE(fs::is_directory(adv / "sub"));
}

TEST(OutputFolder, PreparingLeavesAFileOfThatNameAloneAndSaysSo)
{
    const TempDir dir;
    const auto adv = dir.write("adv", "not a folder");
    const Outcome prepared = prepareOutputFolder(adv);
    EXPECT_EQ(prepared.status, Status::CannotCreateFolder);
    EXPECT_EQ(prepared.cause, std::errc::not_a_directory);
    EXPECT_EQ(TempDir::read(adv), "not a folder");
}

TEST(OutputFolder, PreparingCreatesOneLevelOnly)
{
    const TempDir dir;
    const Outcome prepared = prepareOutputFolder(dir / "missing/adv");
    EXPECT_EQ(prepared.status, Status::CannotCreateFolder);
    EXPECT_EQ(prepared.cause, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

// Files go while the folder is listed; a listing disturbed by the deletions
// must still leave nothing behind.
TEST(OutputFolder, AFolderOfManyFilesIsEmptiedAndCounted)
{
    const TempDir dir;
    const auto adv = outputFolderPath(dir.path());
    fs::create_directories(adv / "sub");
    constexpr int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i)
        std::ofstream(adv / ((i % 3 == 0 ? "sub/f" : "f") + std::to_string(i) + ".dob")) << i;
    const DeletionCount count = deleteFolderContents(adv);
    EXPECT_EQ(count.deleted, kFiles);
    EXPECT_EQ(count.failed, 0);
    EXPECT_EQ(countEntries(adv), 1u);
}

struct StuckCase {
    const char* name;
    std::vector<std::string> files;                     // below adv
    std::vector<std::pair<std::string, mode_t>> modes;  // folders below adv ("" is adv), set last
    int deleted;
    // The failures in the order they are reported when ordered is set, else
    // as a set; each with its status.
    std::vector<std::pair<std::string, Status>> failures;
    bool ordered;
};

[[maybe_unused]] std::vector<std::string> manyFiles(const std::string& prefix, int count)
{
    std::vector<std::string> names{"advertising.index"};
    for (int i = 0; i < count; ++i)
        names.push_back(prefix + std::to_string(i) + ".dob");
    return names;
}

// Every file that stays is reported once, with the system's reason, and the
// playlist is the first to go (or the first to fail), so a run stopped while
// emptying never leaves a playlist naming files already gone.
TEST(OutputFolder, EmptyingReportsEveryFileThatStays)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs another user to run as, which only a POSIX system gives a test";
#else
    std::vector<std::pair<std::string, Status>> allStuck;
    for (const std::string& name : manyFiles("a", 30))
        allStuck.emplace_back(name, Status::CannotDelete);
    const std::vector<StuckCase> cases = {
            {"a folder that may not change",
             {"a.dob", "keep/x.dob", "keep/y.txt"},
             {{"keep", 0555}},
             1,
             {{"keep/x.dob", Status::CannotDelete}, {"keep/y.txt", Status::CannotDelete}},
             false},
            {"a folder that cannot be listed",
             {"a.dob", "hidden/x.dob"},
             {{"hidden", 0}},
             1,
             {{"hidden", Status::CannotListFolder}},
             false},
            {"nothing may go: the playlist is tried first", manyFiles("a", 30), {{"", 0555}}, 0, allStuck, true},
    };
    for (const StuckCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto base = testing::temporaryBaseForNobody();
        if (!base)
            GTEST_SKIP() << testing::kNoFolderForNobody;
        const TempDir dir(*base);
        const auto adv = outputFolderPath(dir.path());
        fs::create_directories(adv);
        for (const std::string& file : c.files)
            dir.write(fs::path("adv") / file, "x");
        testing::handTreeToNobody(adv);
        for (const auto& [folder, mode] : c.modes)
            fs::permissions(adv / folder, static_cast<fs::perms>(mode));
        const auto reported = testing::runUnprivileged([&] {
            std::string text;
            const DeletionCount count = deleteFolderContents(adv, [&](const fs::path& path, const Outcome& o) {
                text += path.lexically_relative(adv).string() + "|" + std::to_string(static_cast<int>(o.status)) + "|"
                        + (o.cause == std::errc::permission_denied ? "denied" : o.cause.message()) + "\n";
            });
            return std::to_string(count.deleted) + " " + std::to_string(count.failed) + "\n" + text;
        });
        for (const auto& [folder, mode] : c.modes)
            fs::permissions(adv / folder, fs::perms::owner_all);
        ASSERT_TRUE(reported.has_value());

        std::istringstream lines(*reported);
        int deleted = -1;
        int failed = -1;
        lines >> deleted >> failed;
        lines.ignore();
        std::vector<std::pair<std::string, Status>> failures;
        for (std::string line; std::getline(lines, line);) {
            const auto bar = line.find('|');
            const auto secondBar = line.find('|', bar + 1);
            EXPECT_EQ(line.substr(secondBar + 1), "denied") << line;
            failures.emplace_back(line.substr(0, bar),
                                  static_cast<Status>(std::stoi(line.substr(bar + 1, secondBar - bar - 1))));
        }
        EXPECT_EQ(deleted, c.deleted);
        EXPECT_EQ(failed, static_cast<int>(c.failures.size()));
        if (c.ordered) {
            ASSERT_FALSE(failures.empty());
            EXPECT_EQ(failures.front().first, "advertising.index");
        }
        EXPECT_EQ(std::set(failures.begin(), failures.end()), std::set(c.failures.begin(), c.failures.end()));
        for (const auto& [file, status] : c.failures) {
            if (status == Status::CannotDelete) {
                EXPECT_TRUE(fs::exists(adv / file)) << file;
            }
        }
    }
#endif
}

struct EnsureCase {
    const char* name;
    std::function<fs::path(const TempDir&)> setUp;  // the folder to ensure
    Status status;
    std::errc cause;  // std::errc{} for none
};

TEST(OutputFolder, EnsuringMakesOneMissingLevelAndRefusesEverythingElse)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const std::vector<EnsureCase> cases = {
            {"missing", [](const TempDir& d) { return d / "adv"; }, Status::Ok, std::errc{}},
            {"there already",
             [](const TempDir& d) {
                 fs::create_directory(d / "adv");
                 return d / "adv";
             },
             Status::Ok, std::errc{}},
            {"a file in its place", [](const TempDir& d) { return d.write("adv", "x"); }, Status::CannotCreateFolder,
             std::errc::not_a_directory},
            {"a dangling link in its place",
             [](const TempDir& d) {
                 fs::create_symlink(d / "nowhere", d / "adv");
                 return d / "adv";
             },
             Status::CannotCreateFolder, std::errc::no_such_file_or_directory},
            {"two levels missing", [](const TempDir& d) { return d / "missing/adv"; }, Status::CannotCreateFolder,
             std::errc::no_such_file_or_directory},
    };
    for (const EnsureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const fs::path folder = c.setUp(dir);
        const Outcome made = ensureOutputFolder(folder);
        EXPECT_EQ(made.status, c.status);
        if (c.cause == std::errc{})
            EXPECT_FALSE(made.cause) << made.cause.message();
        else
            EXPECT_EQ(made.cause, c.cause) << made.cause.message();
        EXPECT_EQ(fs::is_directory(folder), c.status == Status::Ok);
    }
}

struct SourceCase {
    const char* name;
    std::function<fs::path(const TempDir&)> setUp;  // the source; adv exists below the folder
    Status status;
};

// Checked before anything is emptied: a source that is the output folder,
// however it is spelled or reached, would lose its own files.
TEST(SourceFolder, OnlyAFolderOutsideTheOutputFolderIsConverted)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const std::vector<SourceCase> cases = {
            {"a folder of its own", [](const TempDir& d) { return d.write("pics/a.bmp", "x").parent_path(); },
             Status::Ok},
            {"the work folder around the output", [](const TempDir& d) { return d.path(); }, Status::Ok},
            {"a sibling with a longer name", [](const TempDir& d) { return d.write("adv2/a.bmp", "x").parent_path(); },
             Status::Ok},
            {"missing", [](const TempDir& d) { return d / "no such folder"; }, Status::NoSuchFolder},
            {"below a file", [](const TempDir& d) { return d.write("plain", "x") / "sub"; }, Status::NoSuchFolder},
            {"a file in its place", [](const TempDir& d) { return d.write("pics", "x"); }, Status::NotAFolder},
            {"the output folder", [](const TempDir& d) { return d / "adv"; }, Status::SourceInOutput},
            {"inside the output folder", [](const TempDir& d) { return d.write("adv/sub/a.bmp", "x").parent_path(); },
             Status::SourceInOutput},
            {"the output folder spelled otherwise",
             [](const TempDir& d) {
                 fs::create_directories(d / "adv/sub");
                 return d / "adv/sub/.././";
             },
             Status::SourceInOutput},
            {"a link to the output folder",
             [](const TempDir& d) {
                 fs::create_directory_symlink(d / "adv", d / "link");
                 return d / "link";
             },
             Status::SourceInOutput},
            {"a link into the output folder",
             [](const TempDir& d) {
                 fs::create_directories(d / "adv/deep/er");
                 fs::create_directory_symlink(d / "adv/deep/er", d / "elsewhere");
                 return d / "elsewhere";
             },
             Status::SourceInOutput},
            {"deeper inside the output folder than a path the system takes whole",
             [](const TempDir& d) {
                 fs::path deep = d / "adv";
                 for (int level = 0; level < 830; ++level)
                     deep /= "d";
                 fs::create_directories(deep);
                 return deep;
             },
             Status::SourceInOutput},
    };
    for (const SourceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        fs::create_directories(dir / "adv");
        const fs::path source = c.setUp(dir);
        EXPECT_EQ(checkSourceFolder(source, dir / "adv").status, c.status);
    }
}

// Before the first run there is no output folder for a source to lie in.
TEST(SourceFolder, AMissingOutputFolderHoldsNothing)
{
    const TempDir dir;
    const fs::path source = dir.write("pics/a.bmp", "x").parent_path();
    EXPECT_EQ(checkSourceFolder(source, dir / "adv").status, Status::Ok);
}

// What an ordinary user may not look into is refused with the system's
// cause, never taken to lie outside the output folder.
TEST(SourceFolder, APlaceThatCannotBeToldIsRefusedWithTheCause)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs another user to run as, which only a POSIX system gives a test";
#else
    const struct {
        const char* name;
        fs::perms perms;  // of the source folder
        Status status;
        const char* text;
    } cases[] = {
            {"unlistable", fs::perms::none, Status::CannotListFolder, "cannot list the folder: Permission denied"},
            {"listable but not to be passed through", fs::perms::owner_read, Status::SourcePlaceUnknown,
             "cannot tell whether it lies inside the output folder; nothing is emptied: Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto base = testing::temporaryBaseForNobody();
        if (!base)
            GTEST_SKIP() << testing::kNoFolderForNobody;
        const TempDir dir(*base);
        const fs::path source = dir.write("pics/a.bmp", "x").parent_path();
        fs::create_directory(dir / "adv");
        testing::handTreeToNobody(dir.path());
        fs::permissions(source, c.perms);
        const auto checked = testing::runUnprivileged([&] {
            const Outcome outcome = checkSourceFolder(source, dir / "adv");
            return std::to_string(static_cast<int>(outcome.status)) + " " + outcomeText(outcome);
        });
        fs::permissions(source, fs::perms::owner_all);
        ASSERT_TRUE(checked.has_value());
        EXPECT_EQ(*checked, std::to_string(static_cast<int>(c.status)) + " " + c.text);
    }
#endif
}

}  // namespace
}  // namespace pelkora::output
