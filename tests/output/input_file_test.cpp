#include <gtest/gtest.h>

#include <string>

#include "output/input_file.h"
#include "support/fifo_writer.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::string textOf(const ReadBuffer& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A file's bytes in steps around the limit, and one file too large for a
// single read piece, so that the buffer must grow while it is read.
TEST(InputFile, ReadsUpToTheLimit)
{
    const std::string large = [] {
        std::string bytes(300 * 1024 + 7, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 131) >> 3);
        return bytes;
    }();
    const struct {
        const char* name;
        std::string content;
        std::uint64_t limit;
        std::size_t kept;
        bool truncated;
    } cases[] = {
            {"empty", "", 10, 0, false},
            {"below the limit", "abc", 10, 3, false},
            {"at the limit", "abcdefghij", 10, 10, false},
            {"one past the limit", "abcdefghijk", 10, 10, true},
            {"a limit of nothing", "abc", 0, 0, true},
            {"large, whole", large, large.size(), large.size(), false},
            {"large, cut", large, 200 * 1024, 200 * 1024, true},
            {"large, far below the limit", large, std::uint64_t{1} << 40, large.size(), false},
    };
    const TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.write("input.bin", c.content);
        const InputBytes input = readInputFile(file, c.limit);
        EXPECT_EQ(input.status, Status::Ok);
        EXPECT_EQ(input.truncated, c.truncated);
        ASSERT_EQ(input.bytes.size(), c.kept);
        EXPECT_TRUE(textOf(input.bytes) == c.content.substr(0, c.kept));
    }
}

TEST(InputFile, OnlyPlainFilesAreRead)
{
    PELKORA_SKIP_WITHOUT_POSIX("named pipes and symbolic links");
    const TempDir dir;
    const testing::FifoWriter pipe(dir / "pipe", "abc");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir.write("target.bin", "xyz"), dir / "link");
    const struct {
        const char* name;
        fs::path path;
        Status status;
        std::string content;
    } cases[] = {
            {"missing", dir / "missing", Status::CantFindFile, ""},
            {"a folder", dir / "folder", Status::CantFindFile, ""},
            {"a pipe", dir / "pipe", Status::CantFindFile, ""},
            {"a link to a file", dir / "link", Status::Ok, "xyz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InputBytes input = readInputFile(c.path, 100);
        EXPECT_EQ(input.status, c.status);
        EXPECT_EQ(textOf(input.bytes), c.content);
    }
    EXPECT_FALSE(pipe.wasOpened());
}

// Buffers alive together keep their own bytes; a released one serves the
// next read of its thread.
TEST(InputFile, BuffersAreReusedOnlyOnceReleased)
{
    const TempDir dir;
    const fs::path first = dir.write("first.bin", std::string(5000, 'a'));
    const fs::path second = dir.write("second.bin", std::string(4000, 'b'));
    const std::uint8_t* released = nullptr;
    {
        const InputBytes a = readInputFile(first, 1 << 20);
        const InputBytes b = readInputFile(second, 1 << 20);
        EXPECT_NE(a.bytes.data(), b.bytes.data());
        EXPECT_EQ(textOf(a.bytes), std::string(5000, 'a'));
        EXPECT_EQ(textOf(b.bytes), std::string(4000, 'b'));
        released = a.bytes.data();
    }
    const InputBytes again = readInputFile(second, 1 << 20);
    EXPECT_EQ(again.bytes.data(), released);
    EXPECT_EQ(textOf(again.bytes), std::string(4000, 'b'));
}

}  // namespace
}  // namespace pelkora::output
