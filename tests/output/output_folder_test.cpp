#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "output/playlist.h"
#include "support/temp_dir.h"

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

    EXPECT_EQ(deleteFolderContents(adv), 1);

    EXPECT_TRUE(fs::is_directory(adv / "sub/deeper"));
    EXPECT_TRUE(fs::is_directory(adv / "sub/empty"));
    EXPECT_EQ(countEntries(adv), 3u);  // sub, sub/deeper, sub/empty
}

TEST(OutputFolder, LinksAreRemovedNeverFollowed)
{
    const TempDir dir;
    const auto adv = outputFolderPath(dir.path());
    const auto outsideFile = dir.write("outside/keep.txt", "keep");
    dir.write("outside/nested/keep2.txt", "keep");
    fs::create_directories(adv / "sub");
    fs::create_directory_symlink(dir / "outside", adv / "linked-folder");
    fs::create_directory_symlink(dir / "outside", adv / "sub/linked-again");
    fs::create_symlink(outsideFile, adv / "linked-file.txt");
    fs::create_symlink(dir / "nowhere", adv / "dangling");

    deleteFolderContents(adv);

    EXPECT_EQ(TempDir::read(outsideFile), "keep");
    EXPECT_TRUE(fs::exists(dir / "outside/nested/keep2.txt"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(adv / "linked-folder")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(adv / "sub/linked-again")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(adv / "linked-file.txt")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(adv / "dangling")));
    EXPECT_TRUE(fs::is_directory(adv / "sub"));
}

TEST(OutputFolder, DeepTreeIsEmptied)
{
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
    EXPECT_EQ(deleteFolderContents(dir / "adv"), 1);
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

TEST(OutputFolder, PreparingLeavesAFileOfThatNameAlone)
{
    const TempDir dir;
    const auto adv = dir.write("adv", "not a folder");
    prepareOutputFolder(adv);
    EXPECT_EQ(TempDir::read(adv), "not a folder");
}

TEST(OutputFolder, PreparingCreatesOneLevelOnly)
{
    const TempDir dir;
    prepareOutputFolder(dir / "missing/adv");
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

}  // namespace
}  // namespace pelkora::output
