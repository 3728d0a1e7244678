// Files reach the package whole, under their own name only when complete,
// never through whatever had that name before; and one writer at a time.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "output/folder_lock.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/playlist.h"
#include "support/fifo_writer.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

int temporariesIn(const fs::path& folder)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += isTemporaryName(entry.path().filename().string()) ? 1 : 0;
    return count;
}

// Names of the file at path; 0 when there is none, or a link is there.
std::uintmax_t linkCount(const fs::path& path)
{
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error)))
        return 0;
    const std::uintmax_t count = fs::hard_link_count(path, error);
    return error ? 0 : count;
}

// The two ways a file is written whole: by its path, and by its name in a
// folder held open for many files (used here for a first file, so that the
// second goes through the temporary name the first left free).
struct WholeFileWriter {
    const char* name;
    std::function<Outcome(const fs::path& path, std::string_view bytes)> write;
};

const WholeFileWriter kWriters[] = {
        {"by path", [](const fs::path& path, std::string_view bytes) { return writeWholeFile(path, bytes); }},
        {"in the folder held open",
         [](const fs::path& path, std::string_view bytes) {
             FolderWriter folder(path.parent_path());
             const fs::path first = path.string() + ".first";
             std::error_code ignored;
             if (folder.writeWholeFile(first.filename().string(), "first").ok()
                 && (TempDir::read(first) != "first" || !fs::remove(first, ignored)))
                 return Outcome(Status::CannotWrite);
             return folder.writeWholeFile(path.filename().string(), bytes);
         }},
};

struct NameTaken {
    const char* name;
    // Puts something under adv/x.dob; returns the file outside that must stay.
    std::function<fs::path(const TempDir&)> setUp;
};

// Whatever had the name, afterwards it is our own regular file with the new
// bytes, and a file outside the folder is as it was.
TEST(WholeFile, ReplacesWhateverHadTheNameWithoutWritingThroughIt)
{
    PELKORA_SKIP_WITHOUT_POSIX("named pipes and symbolic links");
    const std::vector<NameTaken> cases = {
            {"nothing", [](const TempDir& d) { return d.write("outside.txt", "keep me"); }},
            {"an old file",
             [](const TempDir& d) {
                 d.write("adv/x.dob", "old and longer");
                 return d.write("outside.txt", "keep me");
             }},
            {"a hard link to a file outside",
             [](const TempDir& d) {
                 const fs::path outside = d.write("outside.txt", "keep me");
                 fs::create_hard_link(outside, d / "adv/x.dob");
                 return outside;
             }},
            {"a link to a file outside",
             [](const TempDir& d) {
                 const fs::path outside = d.write("outside.txt", "keep me");
                 fs::create_symlink(outside, d / "adv/x.dob");
                 return outside;
             }},
            {"a pipe",
             [](const TempDir& d) {
                 EXPECT_TRUE(testing::makeFifo(d / "adv/x.dob"));
                 return d.write("outside.txt", "keep me");
             }},
    };
    for (const WholeFileWriter& writer : kWriters)
        for (const NameTaken& c : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + c.name);
            const TempDir dir;
            fs::create_directory(dir / "adv");
            const fs::path outside = c.setUp(dir);
            const Outcome written = writer.write(dir / "adv/x.dob", "new");
            ASSERT_TRUE(written.ok()) << outcomeText(written);
            EXPECT_FALSE(written.cause);
            EXPECT_EQ(TempDir::read(outside), "keep me");
            EXPECT_EQ(TempDir::read(dir / "adv/x.dob"), "new");
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "adv/x.dob")));
            EXPECT_EQ(linkCount(dir / "adv/x.dob"), 1u);
            EXPECT_EQ(temporariesIn(dir / "adv"), 0);
        }
}

struct CannotWrite {
    const char* name;
    std::function<fs::path(const TempDir&)> setUp;  // the path to write
    std::errc cause;
};

TEST(WholeFile, AFailedWriteSaysWhyAndLeavesNoTemporaryFile)
{
    const std::vector<CannotWrite> cases = {
            {"a folder under the name",
             [](const TempDir& d) {
                 fs::create_directories(d / "adv/x.dob/inner");
                 return d / "adv/x.dob";
             },
             std::errc::is_a_directory},
            {"a missing folder",
             [](const TempDir& d) {
                 fs::create_directory(d / "adv");
                 return d / "adv/gone/x.dob";
             },
             std::errc::no_such_file_or_directory},
    };
    for (const WholeFileWriter& writer : kWriters)
        for (const CannotWrite& c : cases) {
            SCOPED_TRACE(std::string(writer.name) + ", " + c.name);
            const TempDir dir;
            const fs::path target = c.setUp(dir);
            const Outcome written = writer.write(target, "bytes");
            EXPECT_EQ(written.status, Status::CannotWrite);
            EXPECT_EQ(written.cause, c.cause) << outcomeText(written);
            EXPECT_EQ(temporariesIn(dir / "adv"), 0);
        }
    const TempDir dir;
    fs::create_directories(dir / "adv/x.dob/inner");
    writeWholeFile(dir / "adv/x.dob", "bytes");
    EXPECT_TRUE(fs::is_directory(dir / "adv/x.dob/inner"));
}

TEST(WholeFile, TemporaryNamesAreRecognisedExactly)
{
    const std::vector<std::pair<std::string, bool>> cases = {
            {".pelkora-tmp-aZ09xy", true},   {".pelkora-tmp-000000", true},   {".pelkora-tmp-abcde", false},
            {".pelkora-tmp-abcdefg", false}, {"x.pelkora-tmp-abcdef", false}, {".pelkora-tmp-abc.ef", false},
            {"pelkora-tmp-abcdef", false},   {"advertising.index", false},    {"", false},
    };
    for (const auto& [name, temporary] : cases)
        EXPECT_EQ(isTemporaryName(name), temporary) << name;
}

// What a killed run left goes; nothing else does, not even a folder or a
// link that happens to look like one.
TEST(WholeFile, LeftoversAreRemovedAndNothingElse)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const TempDir dir;
    const fs::path adv = dir / "adv";
    dir.write("adv/.pelkora-tmp-abc123", "half");
    dir.write("adv/.pelkora-tmp-XYZ789", "");
    dir.write("adv/a.dob", "kept");
    dir.write("adv/.pelkora-tmp-abc12", "kept: not our pattern");
    dir.write("adv/sub/.pelkora-tmp-deeper", "kept: not directly in the folder");
    fs::create_directory(adv / ".pelkora-tmp-folder");
    const fs::path outside = dir.write("outside", "keep me");
    fs::create_symlink(outside, adv / ".pelkora-tmp-linked");

    EXPECT_EQ(removeLeftoverTemporaries(adv), 2);
    EXPECT_FALSE(fs::exists(adv / ".pelkora-tmp-abc123"));
    EXPECT_FALSE(fs::exists(adv / ".pelkora-tmp-XYZ789"));
    for (const char* kept : {"a.dob", ".pelkora-tmp-abc12", "sub/.pelkora-tmp-deeper", ".pelkora-tmp-folder"})
        EXPECT_TRUE(fs::exists(adv / kept)) << kept;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(adv / ".pelkora-tmp-linked")));
    EXPECT_EQ(TempDir::read(outside), "keep me");
}

struct PlaylistBefore {
    const char* name;
    std::function<fs::path(const TempDir&)> setUp;  // returns a file outside that must stay ("" for none)
    std::string expected;                           // the playlist afterwards
};

// The first entry creates the playlist whole; later ones are appended; a
// playlist shared with a file elsewhere is copied apart first.
TEST(PlaylistAppend, ArrivesWholeWithoutWritingThroughALink)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const std::vector<PlaylistBefore> cases = {
            {"no playlist yet", [](const TempDir&) { return fs::path(); }, "b.dob,1\n"},
            {"a playlist of its own",
             [](const TempDir& d) {
                 d.write("adv/advertising.index", "a.dob,3000\n\n");
                 return fs::path();
             },
             "a.dob,3000\n\nb.dob,1\n"},
            {"a hard link to a file outside",
             [](const TempDir& d) {
                 const fs::path outside = d.write("outside.txt", "a.dob,3000\n\n");
                 fs::create_hard_link(outside, d / "adv/advertising.index");
                 return outside;
             },
             "a.dob,3000\n\nb.dob,1\n"},
            {"a link to a file outside",
             [](const TempDir& d) {
                 const fs::path outside = d.write("outside.txt", "a.dob,3000\n\n");
                 fs::create_symlink(outside, d / "adv/advertising.index");
                 return outside;
             },
             "b.dob,1\n"},
    };
    for (const PlaylistBefore& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        fs::create_directory(dir / "adv");
        const fs::path outside = c.setUp(dir);
        const std::string outsideBefore = outside.empty() ? "" : TempDir::read(outside);
        const fs::path playlist = playlistPath(dir / "adv");
        const Outcome appended = appendPlaylistEntry(playlist, "b.dob,1\n");
        ASSERT_TRUE(appended.ok()) << outcomeText(appended);
        EXPECT_EQ(TempDir::read(playlist), c.expected);
        EXPECT_EQ(linkCount(playlist), 1u);
        if (!outside.empty()) {
            EXPECT_EQ(TempDir::read(outside), outsideBefore);
        }
        EXPECT_EQ(temporariesIn(dir / "adv"), 0);
    }
}

TEST(PlaylistAppend, AFailedAppendSaysWhy)
{
    const TempDir dir;
    fs::create_directories(dir / "adv/advertising.index");
    const Outcome appended = appendPlaylistEntry(dir / "adv/advertising.index", "a.dob,1\n");
    EXPECT_EQ(appended.status, Status::CannotWriteIndex);
    EXPECT_EQ(appended.cause, std::errc::is_a_directory) << outcomeText(appended);
}

// Writers exclude everyone; readers exclude only writers.
TEST(FolderLockTest, ASecondHolderWaitsOnceSaidWhereTheFirstExcludesIt)
{
    using platform::LockSharing;
    const struct {
        const char* what;
        LockSharing first;
        LockSharing second;
        bool waits;
    } cases[] = {
            {"a writer after a writer", LockSharing::Exclusive, LockSharing::Exclusive, true},
            {"a writer after a reader", LockSharing::Shared, LockSharing::Exclusive, true},
            {"a reader after a writer", LockSharing::Exclusive, LockSharing::Shared, true},
            {"a reader after a reader", LockSharing::Shared, LockSharing::Shared, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TempDir dir;
        auto first = std::make_unique<FolderLock>(dir.path(), std::function<void()>(), c.first);
        ASSERT_TRUE(first->held());
        std::atomic<int> waits{0};
        std::atomic<bool> secondHeld{false};
        std::thread second([&] {
            FolderLock lock(dir.path(), [&] { ++waits; }, c.second);
            secondHeld = lock.held();
        });
        if (c.waits) {
            // The second stays blocked for as long as the first holds the lock.
            while (waits == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EXPECT_FALSE(secondHeld);
            first.reset();
        }
        second.join();
        EXPECT_TRUE(secondHeld);
        EXPECT_EQ(waits, c.waits ? 1 : 0);
    }
}

TEST(FolderLockTest, AFreeFolderIsTakenWithoutWaitingAndAMissingOneFails)
{
    const TempDir dir;
    int waits = 0;
    {
        FolderLock lock(dir.path(), [&] { ++waits; });
        EXPECT_TRUE(lock.held());
    }
    FolderLock again(dir.path(), [&] { ++waits; });
    EXPECT_TRUE(again.held());
    EXPECT_EQ(waits, 0);
    // No lock file appears in the folder.
    EXPECT_TRUE(fs::is_empty(dir.path()));

    FolderLock missing(dir / "missing");
    EXPECT_FALSE(missing.held());
    EXPECT_EQ(missing.outcome().status, Status::CannotLock);
    EXPECT_EQ(missing.outcome().cause, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace pelkora::output
