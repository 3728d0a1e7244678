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

std::string sample(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131) >> 3);
    return bytes;
}

// An input is read whole or refused whole, never cut at the limit, and a
// refused one holds no memory.
TEST(Input, IsReadWholeOrRefusedByWhatStandsAtItsName)
{
    const TempDir dir;
    fs::create_directory(dir / "folder");
    const fs::path file = dir.write("picture.bmp", sample(70000));
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
            {"larger than one read piece", dir.write("large.bmp", sample(300 * 1024 + 7)), 1 << 20, Status::Ok,
             300 * 1024 + 7},
            {"empty", dir.write("empty.txt", ""), 100, Status::Ok, 0},
            {"missing", dir / "missing.bmp", 100, Status::CantFindFile, 0},
            {"below a file", file / "inside.bmp", 100, Status::CantFindFile, 0},
            {"a folder", dir / "folder", 100, Status::IsAFolder, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InputFile input = readInput(c.path, c.limit);
        EXPECT_EQ(input.state.status, c.status);
        ASSERT_EQ(input.bytes.size(), c.size);
        EXPECT_TRUE(input.bytes.text() == sample(c.size)) << "the bytes of the file, in order";
        if (!input.state.ok()) {
            EXPECT_EQ(input.bytes.data(), nullptr);
        }
    }
}

// Neither reader opens a pipe (it could keep the read waiting for ever) and
// both follow a link; both say what stands there.
TEST(Input, APipeIsNeverOpenedAndALinkIsFollowed)
{
    PELKORA_SKIP_WITHOUT_POSIX("named pipes and symbolic links");
    const TempDir dir;
    const testing::FifoWriter pipe(dir / "pipe.txt", "abc");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir.write("target.txt", "xyz"), dir / "link.txt");
    fs::create_symlink(dir / "gone.txt", dir / "dangling.txt");
    const struct {
        const char* name;
        fs::path path;
        Status status;
        std::string content;
    } cases[] = {
            {"a pipe", dir / "pipe.txt", Status::NotARegularFile, ""},
            {"a folder", dir / "folder", Status::IsAFolder, ""},
            {"a link to a file", dir / "link.txt", Status::Ok, "xyz"},
            {"a link to nothing", dir / "dangling.txt", Status::CantFindFile, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const InputFile input = readInput(c.path, 100);
        EXPECT_EQ(input.state.status, c.status);
        EXPECT_EQ(textOf(input.bytes), c.content);
        const InputBytes packageFile = readInputFile(c.path, 100);
        EXPECT_EQ(packageFile.outcome.status, c.status);
        EXPECT_EQ(textOf(packageFile.bytes), c.content);
    }
    EXPECT_FALSE(pipe.wasOpened());
}

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
        EXPECT_EQ(input.outcome.status, Status::Ok);
        EXPECT_EQ(input.truncated, c.truncated);
        ASSERT_EQ(input.bytes.size(), c.kept);
        EXPECT_TRUE(textOf(input.bytes) == c.content.substr(0, c.kept));
    }
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
