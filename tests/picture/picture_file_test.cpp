#include <gtest/gtest.h>

#include <string>

#include "picture/picture_file.h"
#include "support/temp_dir.h"

namespace pelkora::picture {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// A picture file is read whole or refused whole: never cut at the limit.
TEST(PictureFile, IsReadWholeWithinTheLimit)
{
    const TempDir dir;
    fs::create_directory(dir / "folder");
    const fs::path file = dir.write("picture.bmp", std::string(70000, 'p'));
    const struct {
        const char* name;
        fs::path path;
        std::uint64_t limit;
        Status status;
        std::size_t size;
    } cases[] = {
            {"below the limit", file, 100000, Status::Ok, 70000},
            {"at the limit", file, 70000, Status::Ok, 70000},
            {"one byte over", file, 69999, Status::FileTooLarge, 0},
            {"empty", dir.write("empty.bmp", ""), 100, Status::Ok, 0},
            {"missing", dir / "missing.bmp", 100, Status::CantFindFile, 0},
            {"a folder", dir / "folder", 100, Status::CantFindFile, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FileBytes read = readWholeFile(c.path, c.limit);
        EXPECT_EQ(read.status, c.status);
        ASSERT_EQ(read.bytes.size(), c.size);
        if (c.size > 0) {
            EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), std::string(c.size, 'p'));
        }
    }
}

}  // namespace
}  // namespace pelkora::picture
