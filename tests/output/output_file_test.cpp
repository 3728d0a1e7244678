#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/text_pager.h"
#include "support/fifo_writer.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

bool writeAndClose(std::FILE* file, const std::string& bytes)
{
    if (file == nullptr)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

TEST(OutputFile, CreateTruncatesAndAppendKeeps)
{
    TempDir dir;
    const auto file = dir.write("a.dob", "old bytes");
    ASSERT_TRUE(writeAndClose(openOutputFile(file, OutputMode::Create), "new"));
    EXPECT_EQ(TempDir::read(file), "new");
    ASSERT_TRUE(writeAndClose(openOutputFile(file, OutputMode::Append), "+more"));
    EXPECT_EQ(TempDir::read(file), "new+more");
    ASSERT_TRUE(writeAndClose(openOutputFile(dir / "fresh.index", OutputMode::Append), "line\n"));
    EXPECT_EQ(TempDir::read(dir / "fresh.index"), "line\n");
}

// A link under one of our names must not carry the write out of the folder,
// in either mode; the name becomes our own regular file.
TEST(OutputFile, LinkIsReplacedAndItsTargetUntouched)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    TempDir dir;
    const auto outside = dir.write("outside/precious.txt", "keep me");
    fs::create_directory(dir / "adv");
    for (const auto mode : {OutputMode::Create, OutputMode::Append}) {
        const auto name = dir / "adv" / "x.dob";
        fs::create_symlink(outside, name);
        ASSERT_TRUE(writeAndClose(openOutputFile(name, mode), "ours"));
        EXPECT_EQ(TempDir::read(outside), "keep me");
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(name)));
        EXPECT_EQ(TempDir::read(name), "ours");
        fs::remove(name);
    }
    // A dangling link would otherwise create its target wherever it points.
    const auto dangling = dir / "adv" / "y.dob";
    fs::create_symlink(dir / "outside" / "created.txt", dangling);
    ASSERT_TRUE(writeAndClose(openOutputFile(dangling, OutputMode::Create), "ours"));
    EXPECT_FALSE(fs::exists(dir / "outside" / "created.txt"));
    EXPECT_EQ(TempDir::read(dangling), "ours");
}

// A pipe nobody reads would block the open for ever.
TEST(OutputFile, PipeIsReplacedWithoutWaiting)
{
    PELKORA_SKIP_WITHOUT_POSIX("named pipes");
    TempDir dir;
    const auto name = dir / "advertising.index";
    ASSERT_TRUE(testing::makeFifo(name));
    ASSERT_TRUE(writeAndClose(openOutputFile(name, OutputMode::Append), "a.dob,3000\n\n"));
    EXPECT_TRUE(fs::is_regular_file(name));
    EXPECT_EQ(TempDir::read(name), "a.dob,3000\n\n");
}

TEST(OutputFile, FolderUnderTheNameIsLeftAndTheOpenFails)
{
    TempDir dir;
    fs::create_directories(dir / "a.dob" / "inner");
    EXPECT_EQ(openOutputFile(dir / "a.dob", OutputMode::Create), nullptr);
    EXPECT_TRUE(fs::is_directory(dir / "a.dob" / "inner"));
}

TEST(OutputFile, PagerWritesItsPagesPastLinksAndPipes)
{
    PELKORA_SKIP_WITHOUT_POSIX("named pipes and symbolic links");
    TempDir work;
    const auto outside = work.write("outside.txt", "keep me");
    const auto adv = outputFolderPath(work.path());
    fs::create_directory(adv);
    fs::create_symlink(outside, adv / "notes-01.txt");
    ASSERT_TRUE(testing::makeFifo(adv / "advertising.index"));

    const auto result = pageText("hello", work / "in/notes.txt", work.path());
    EXPECT_EQ(result.outcome.status, Status::Ok);
    EXPECT_EQ(TempDir::read(outside), "keep me");
    EXPECT_EQ(TempDir::read(adv / "notes-01.txt"), "hello");
    EXPECT_EQ(TempDir::read(adv / "advertising.index"), "notes-01.txt,6000\n");
}

}  // namespace
}  // namespace pelkora::output
