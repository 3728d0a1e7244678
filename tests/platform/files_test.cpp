#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/files.h"
#include "platform/folder.h"
#include "support/temp_dir.h"

namespace pelkora::platform {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

FileIdentity identityOf(const fs::path& path)
{
    FileStatus status;
    std::error_code cause;
    EXPECT_TRUE(statusOf(path, Links::Follow, status, cause)) << path << ": " << cause.message();
    return status.identity;
}

// Two names of one file are one file; two files with the same bytes are two.
TEST(Files, IdentityTellsFilesApartAndNamesOfOneFileNot)
{
    const TempDir dir;
    const fs::path first = dir.write("first", "same");
    const fs::path second = dir.write("second", "same");
    fs::create_hard_link(first, dir / "first-again");
    EXPECT_EQ(identityOf(first), identityOf(dir / "first-again"));
    EXPECT_FALSE(identityOf(first) == identityOf(second));
    EXPECT_FALSE(identityOf(first) == identityOf(dir.path()));
}

// The system's reasons reach the callers as the portable conditions they
// compare with, whatever the system's own numbers.
TEST(Files, FailuresCompareAsThePortableConditions)
{
    const TempDir dir;
    const fs::path file = dir.write("file", "x");
    FileStatus status;
    std::error_code missing;
    EXPECT_FALSE(statusOf(dir / "missing", Links::Own, status, missing));
    EXPECT_EQ(missing, std::errc::no_such_file_or_directory) << missing.message();

    std::error_code taken;
    EXPECT_FALSE(makeFolder(file, taken));
    EXPECT_EQ(taken, std::errc::file_exists) << taken.message();

    const Folder folder(dir.path());
    ASSERT_TRUE(folder.isOpen());
    std::error_code exists;
    EXPECT_FALSE(folder.createNew("file", exists).isOpen());
    EXPECT_EQ(exists, std::errc::file_exists) << exists.message();
    EXPECT_FALSE(exists.message().empty());
}

// What a playlist line does: appended whole to what the file holds, and a
// line taken back by a cut is followed by the next where the cut ended.
TEST(Files, AppendsGoToTheEndAndACutMovesIt)
{
    const TempDir dir;
    std::error_code cause;
    File file = openForAppend(dir.write("out", "abc"), cause);
    ASSERT_TRUE(file.isOpen()) << cause.message();
    ASSERT_TRUE(file.writeAll("def", cause));
    ASSERT_TRUE(file.truncate(4));
    ASSERT_TRUE(file.writeAll("x", cause));
    ASSERT_TRUE(file.close(cause));
    EXPECT_EQ(TempDir::read(dir / "out"), "abcdx");
}

}  // namespace
}  // namespace pelkora::platform
