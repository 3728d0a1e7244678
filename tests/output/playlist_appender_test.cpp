#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif
#include <functional>
#include <string>

#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/playlist_appender.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// How many of this process's descriptors lead to the file at path.
int descriptorsOn(const fs::path& path)
{
    std::error_code error;
    const fs::path target = fs::canonical(path, error);
    if (error)
        return 0;
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        if (fs::read_symlink(entry.path(), ignored) == target)
            ++count;
    }
    return count;
}

int temporariesIn(const fs::path& folder)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += isTemporaryName(entry.path().filename().string()) ? 1 : 0;
    return count;
}

// What happens to the playlist between the first line and the second, and
// what each file then holds. The appender holds the playlist from the first
// line; the second must reach the file under the playlist's name, never the
// one held before.
struct BetweenLines {
    const char* name;
    // Changes the playlist and returns a file outside the package whose
    // content must stay as it is (empty: none).
    std::function<fs::path(const TempDir&, const fs::path& playlist)> change;
    std::string playlistAfter;
};

TEST(PlaylistAppender, SecondLineFollowsTheName)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const BetweenLines cases[] = {
            {"nothing", [](const TempDir&, const fs::path&) { return fs::path(); }, "z.dob,0\na.dob,1\nb.dob,2\n"},
            {"the folder emptied",
             [](const TempDir& d, const fs::path&) {
                 deleteFolderContents(d / "adv");
                 return fs::path();
             },
             "b.dob,2\n"},
            {"another file renamed over it",
             [](const TempDir& d, const fs::path& playlist) {
                 fs::rename(d.write("other", "x.dob,9\n"), playlist);
                 return fs::path();
             },
             "x.dob,9\nb.dob,2\n"},
            {"a hard link made to it",
             [](const TempDir& d, const fs::path& playlist) {
                 fs::create_hard_link(playlist, d / "shared.index");
                 return d / "shared.index";
             },
             "z.dob,0\na.dob,1\nb.dob,2\n"},
            {"a link to a file outside put in its place",
             [](const TempDir& d, const fs::path& playlist) {
                 const fs::path outside = d.write("outside.txt", "o.dob,3000\n\n");
                 fs::remove(playlist);
                 fs::create_symlink(outside, playlist);
                 return outside;
             },
             "b.dob,2\n"},
    };
    for (const BetweenLines& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const fs::path playlist = dir.write("adv/advertising.index", "z.dob,0\n");
        PlaylistAppender appender(playlist);
        ASSERT_TRUE(appender.append("a.dob,1\n").ok());
        const fs::path outside = c.change(dir, playlist);
        const std::string outsideBefore = outside.empty() ? "" : TempDir::read(outside);
        ASSERT_TRUE(appender.append("b.dob,2\n").ok());
        EXPECT_EQ(TempDir::read(playlist), c.playlistAfter);
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(playlist)));
        EXPECT_EQ(fs::hard_link_count(playlist), 1u);
        if (!outside.empty()) {
            EXPECT_EQ(TempDir::read(outside), outsideBefore);
        }
        EXPECT_EQ(temporariesIn(dir / "adv"), 0);
    }
}

// The point of the appender: one descriptor for all the lines, none left
// once it is closed or gone; a playlist that had to be created or copied
// is held from the line after.
TEST(PlaylistAppender, HoldsOneDescriptorForTheRun)
{
    PELKORA_SKIP_WITHOUT_POSIX("the table of open descriptors");
    const struct {
        const char* name;
        std::function<void(const TempDir&, const fs::path& playlist)> before;
    } cases[] = {
            {"a missing playlist", [](const TempDir&, const fs::path&) {}},
            {"an existing playlist",
             [](const TempDir& d, const fs::path&) { d.write("adv/advertising.index", "z.dob,1\n"); }},
            {"a hard-linked playlist",
             [](const TempDir& d, const fs::path& playlist) {
                 d.write("adv/advertising.index", "z.dob,1\n");
                 fs::create_hard_link(playlist, d / "shared.index");
             }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        fs::create_directory(dir / "adv");
        const fs::path playlist = playlistPath(dir / "adv");
        c.before(dir, playlist);
        const std::string before = fs::exists(playlist) ? TempDir::read(playlist) : "";
        std::string expected = before;
        {
            PlaylistAppender appender(playlist);
            for (int line = 0; line < 50; ++line) {
                const std::string entry = "p-" + std::to_string(line) + ".txt,6000\n";
                ASSERT_TRUE(appender.append(entry).ok());
                expected += entry;
            }
            EXPECT_EQ(descriptorsOn(playlist), 1);
            EXPECT_TRUE(appender.close().ok());
            EXPECT_EQ(descriptorsOn(playlist), 0);
            ASSERT_TRUE(appender.append("last.txt,6000\n").ok());
            expected += "last.txt,6000\n";
        }
        EXPECT_EQ(descriptorsOn(playlist), 0);
        EXPECT_EQ(TempDir::read(playlist), expected);
    }
}

// A line that only partly fits (the file size limit stands in for a full
// disk) is taken back whole, and the failure comes with the system's cause.
TEST(PlaylistAppender, ALineThatDoesNotFitIsTakenBack)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs a file size limit, which only a POSIX system gives a test";
#else
    const TempDir dir;
    const fs::path playlist = dir.write("advertising.index", "a.dob,1\n");
    const std::string line = "long-line-that-will-not-fit.dob,500\n";
    const struct {
        const char* name;
        rlim_t room;  // bytes the limit leaves after the playlist
    } cases[] = {{"none of it", 0}, {"part of it", 5}};
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlaylistAppender appender(playlist);
        rlimit tight = limit;
        tight.rlim_cur = fs::file_size(playlist) + c.room;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
        const Outcome appended = appender.append(line);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        EXPECT_EQ(appended.status, Status::CannotWriteIndex);
        EXPECT_EQ(appended.cause, std::errc::file_too_large) << outcomeText(appended);
        EXPECT_EQ(TempDir::read(playlist), "a.dob,1\n");
        ASSERT_TRUE(appender.append("b.dob,2\n").ok());
        EXPECT_EQ(TempDir::read(playlist), "a.dob,1\nb.dob,2\n");
        fs::resize_file(playlist, 8);
    }
    ::sigaction(SIGXFSZ, &previous, nullptr);
#endif
}

}  // namespace
}  // namespace pelkora::output
