// The commands that look at a package: what they print, the files they
// write, and that what they draw converts back to the same bytes.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/stat.h>
#endif

#include <fstream>
#include <functional>
#include <iostream>
#include <map>

#include <array>
#include <random>
#include <string>
#include <vector>

#include <QImage>

#include "support/posix_only.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using pelkora::testing::ProgramRun;
using pelkora::testing::runPelkora;
using pelkora::testing::TempDir;

// The bytes of a DOB file of random levels, with every level among the
// first sixteen pixels when there are that many, and its level counts.
struct DobFile {
    std::string bytes;
    std::array<int, 16> counts{};
};

DobFile randomDob(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> level(0, 15);
    DobFile dob;
    const int count = width * height;
    dob.bytes.assign(2 + static_cast<std::size_t>((count + 1) / 2), '\0');
    dob.bytes[0] = static_cast<char>(width % 256);
    dob.bytes[1] = static_cast<char>(height % 256);
    for (int i = 0; i < count; ++i) {
        const int v = i < 16 ? i : level(random);
        ++dob.counts[static_cast<std::size_t>(v)];
        char& byte = dob.bytes[2 + static_cast<std::size_t>(i / 2)];
        byte = static_cast<char>(static_cast<unsigned char>(byte) | (i % 2 == 0 ? v : v << 4));
    }
    return dob;
}

TEST(RenderRoundTrip, ConvertingTheRenderedPngGivesBackTheSameDob)
{
    const struct {
        int width;
        int height;
    } sizes[] = {{1, 1}, {3, 3}, {16, 1}, {1, 16}, {17, 13}, {200, 7}, {255, 255}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        TempDir work;
        const DobFile dob = randomDob(size.width, size.height, static_cast<unsigned>(size.width * 1000 + size.height));
        work.write("in/pic.dob", dob.bytes);

        const ProgramRun render = runPelkora(work.path(), {"--render", "in/pic.dob", "--to", "drawn"});
        ASSERT_EQ(render.status, 0) << render.err;
        const QImage png(QString::fromStdString((work / "drawn/pic.png").string()));
        ASSERT_FALSE(png.isNull());
        EXPECT_EQ(png.format(), QImage::Format_Grayscale8);
        EXPECT_EQ(png.size(), QSize(size.width, size.height));

        const ProgramRun add = runPelkora(work.path(), {"--quiet", "--add", "drawn/pic.png"});
        ASSERT_EQ(add.status, 0) << add.err;
        EXPECT_EQ(TempDir::read(work / "adv/pic.dob"), dob.bytes);
    }
}

TEST(RenderRoundTrip, WritesBesideEachFileUnlessToldWhere)
{
    TempDir work;
    work.write("a/one.dob", randomDob(4, 2, 1).bytes);
    work.write("b/two.dob", randomDob(3, 5, 2).bytes);
    work.write("b/short.dob", std::string("\x04\x04\x00", 3));
    const ProgramRun run = runPelkora(work.path(), {"--render", "a/one.dob", "b/short.dob", "b/two.dob"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::is_regular_file(work / "a/one.png"));
    EXPECT_TRUE(fs::is_regular_file(work / "b/two.png"));
    EXPECT_FALSE(fs::exists(work / "b/short.png"));
    EXPECT_NE(run.err.find("b/short.dob: its length fits no DOB size"), std::string::npos) << run.err;
    // Nothing but the pictures is left behind: no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(work / "b"), fs::directory_iterator()), 3);
}

// Every file below root, by its name: a file's bytes, a link's target.
std::map<std::string, std::string> snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().lexically_relative(root).string();
        if (entry.is_symlink())
            entries[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            entries[name] = TempDir::read(entry.path());
    }
    return entries;
}

// A full 200 KiB disk at full/, holding pkg's DOB and a good old picture
// of every name the rows write there. A reason when it cannot be had.
std::string fillSmallDisk(const TempDir& work)
{
#ifdef _WIN32
    return "needs a small disk of its own, which only a POSIX system mounts for a test";
#else
    fs::create_directory(work / "full");
    if (::mount("tmpfs", (work / "full").c_str(), "tmpfs", 0, "size=200k") != 0)
        return "cannot mount a small disk here (needs root)";
    work.write("full/x.dob", TempDir::read(work / "pkg/x.dob"));
    work.write("full/x.png", "the good old picture");
    work.write("full/sheet.png", "the good old sheet");
    std::ofstream filler(work / "full/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
    return {};
#endif
}

// The review commands against what a careful user may meet: whatever
// happens, the user's files stay as they were byte for byte, and the one
// file a row may write is the only change.
TEST(ReviewOutput, HostilePlacesLeaveTheUsersFilesAsTheyWere)
{
    PELKORA_SKIP_WITHOUT_POSIX("symbolic links");
    const auto link = [](const char* name) {
        return [name](const TempDir& w) {
            fs::create_symlink(w / "victim.txt", w / name);
            return std::string();
        };
    };
    const auto same = [](const char* name, const char* as) {
        return [name, as](const TempDir& w) {
            w.write(as, TempDir::read(w / name));
            return std::string();
        };
    };
    const struct {
        const char* name;
        std::function<std::string(const TempDir&)> setUp;  // a reason to skip, or nothing
        std::vector<std::string> args;
        int status;
        const char* says;     // on stderr
        const char* changes;  // the one file that may be new or changed
    } cases[] = {
            {"a link at a rendered picture's name", link("pkg/x.png"), {"--render", "pkg/x.dob"}, 0, "", "pkg/x.png"},
            {"a link at the sheet's name", link("sheet.png"), {"--preview", "pkg", "--to", "sheet.png"}, 0, "",
             "sheet.png"},
            {"a picture whose length fits a DOB", same("pkg/x.dob", "photo.png"), {"--render", "photo.png"}, 1,
             "photo.png: is read as a DOB only with --size WxH", nullptr},
            {"an input that is its own output", same("pkg/x.dob", "photo.png"),
             {"--render", "photo.png", "--size", "4x2"}, 1, "it is the input photo.png, never written over", nullptr},
            {"two inputs of one output name", same("pkg/x.dob", "b/x.dob"),
             {"--render", "pkg/x.dob", "b/x.dob", "--to", "out"}, 1,
             "out/x.png: not written for b/x.dob: it was written for pkg/x.dob already in this run", "out/x.png"},
            {"the sheet over the playlist", nullptr, {"--preview", "pkg", "--to", "pkg/advertising.index"}, 1,
             "lies in the package pkg", nullptr},
            {"the sheet as a new file of the package", nullptr, {"--preview", "pkg", "--to", "pkg/sheet.png"}, 1,
             "lies in the package pkg", nullptr},
            {"the sheet in the output folder", same("pkg/advertising.index", "adv/advertising.index"),
             {"--preview", "pkg", "--to", "adv/sheet.png"}, 1, "lies in the package adv", nullptr},
            {"rendered pictures into the output folder", same("pkg/advertising.index", "adv/advertising.index"),
             {"--render", "pkg/x.dob", "--to", "adv/"}, 1, "lies in the package adv", nullptr},
            {"a rendered picture on a full disk", fillSmallDisk, {"--render", "full/x.dob"}, 1,
             "full/x.png: cannot write: No space left on device", nullptr},
            {"a sheet on a full disk", fillSmallDisk, {"--preview", "pkg", "--to", "full/sheet.png"}, 1,
             "full/sheet.png: cannot write: No space left on device", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        work.write("pkg/x.dob", randomDob(4, 2, 7).bytes);
        work.write("pkg/advertising.index", "x.dob,3000\n\n");
        work.write("victim.txt", "keep me");
        if (const std::string skip = c.setUp ? c.setUp(work) : std::string(); !skip.empty()) {
            std::cout << "[  SKIPPED ] " << c.name << ": " << skip << "\n";
            continue;
        }
        auto before = snapshot(work.path());
        const ProgramRun run = runPelkora(work.path(), c.args);
        auto after = snapshot(work.path());
#ifndef _WIN32
        ::umount2((work / "full").c_str(), MNT_DETACH);
#endif
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        if (c.changes) {
            EXPECT_EQ(after[c.changes].substr(1, 3), "PNG");
            before.erase(c.changes);
            after.erase(c.changes);
        }
        EXPECT_EQ(after, before);
    }
}

// What the review commands say of an input that is no DOB file, and of a
// name with control characters: the real cause, and never a raw control
// byte on the terminal.
TEST(ReviewReasons, EachInputSaysWhatStandsInItsWay)
{
    PELKORA_SKIP_WITHOUT_POSIX("pipes, devices and link loops");
    const struct {
        const char* name;
        std::function<void(const TempDir&)> setUp;
        std::vector<std::string> args;
        const char* says;  // on stdout or stderr
    } cases[] = {
            {"a folder", [](const TempDir& w) { fs::create_directory(w / "f.dob"); }, {"--info", "f.dob"},
             "f.dob: is a folder, not a file"},
            {"a pipe", [](const TempDir& w) { ::mkfifo((w / "p.dob").c_str(), 0600); }, {"--render", "p.dob"},
             "p.dob: is not a regular file"},
            {"a device", [](const TempDir& w) { fs::create_symlink("/dev/zero", w / "z.dob"); }, {"--info", "z.dob"},
             "z.dob: is not a regular file"},
            {"a link loop", [](const TempDir& w) { fs::create_symlink("l.dob", w / "l.dob"); }, {"--render", "l.dob"},
             "l.dob: cannot read the file: Too many levels of symbolic links"},
            {"nothing", [](const TempDir&) {}, {"--info", "gone.dob"}, "gone.dob: no such file"},
            {"a GIF without a frame",
             [](const TempDir& w) { w.write("empty.gif", std::string("GIF89a\x0a\x00\x0a\x00\x00\x00\x00;", 14)); },
             {"--info", "empty.gif"}, "decoded=0 (a GIF without any frame that decodes)"},
            {"more than a load reads, but no picture from its first bytes",
             [](const TempDir& w) { fs::resize_file(w.write("big.bin", "words"), std::uint64_t{2} << 30); },
             {"--info", "big.bin"}, "big.bin: not a picture"},
            {"a DOB with an escape in its name", [](const TempDir& w) { w.write("\x1b[2J.dob", randomDob(1, 1, 1).bytes); },
             {"--info", "\x1b[2J.dob"}, "\\x1b[2J.dob: dob 1x1"},
            {"a rendered DOB with an escape in its name",
             [](const TempDir& w) { w.write("\x1b[2J.dob", randomDob(1, 1, 1).bytes); }, {"--render", "\x1b[2J.dob"},
             "\\x1b[2J.png written"},
            {"a package with control bytes",
             [](const TempDir& w) {
                 w.write("adv/\a.txt", "x");
                 w.write("adv/advertising.index", "\x1b[2J,5\n");
             },
             {"--check"}, "adv/\\x07.txt: no playlist line names it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir work;
        c.setUp(work);
        const ProgramRun run = runPelkora(work.path(), c.args);
        const std::string said = run.out + run.err;
        EXPECT_NE(said.find(c.says), std::string::npos) << said;
        EXPECT_EQ(said.find_first_of("\x1b\a"), std::string::npos) << said;
    }
}

TEST(RenderRoundTrip, AWrappedHeaderWithTwoSizesNeedsAChoice)
{
    TempDir work;
    work.write("wide.dob", std::string("\x00\x00", 2) + std::string(65536, '\x11'));
    const ProgramRun unsure = runPelkora(work.path(), {"--render", "wide.dob"});
    EXPECT_EQ(unsure.status, 1);
    EXPECT_NE(unsure.err.find("256x512 or 512x256"), std::string::npos) << unsure.err;
    EXPECT_FALSE(fs::exists(work / "wide.png"));

    const ProgramRun chosen = runPelkora(work.path(), {"--render", "wide.dob", "--size", "512x256"});
    ASSERT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_EQ(QImage(QString::fromStdString((work / "wide.png").string())).size(), QSize(512, 256));

    const ProgramRun info = runPelkora(work.path(), {"--info", "wide.dob"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out.rfind("wide.dob: dob 256x512 or 512x256 (choose with --size WxH)\n", 0), 0u) << info.out;
}

TEST(DobInfo, NamesTheSizeAndCountsEveryLevel)
{
    TempDir work;
    const DobFile dob = randomDob(9, 7, 3);
    work.write("p.dob", dob.bytes);
    work.write("bad.DOB", std::string("\x09\x07\x00", 3));
    const ProgramRun info = runPelkora(work.path(), {"--info", "p.dob", "bad.DOB"});
    EXPECT_EQ(info.status, 1);
    std::string expected = "p.dob: dob 9x7\nlevels 0 (white) to 15 (black):";
    for (const int count : dob.counts) {
        expected += ' ';
        expected += std::to_string(count);
    }
    EXPECT_EQ(info.out, expected + "\n");
    EXPECT_NE(info.err.find("bad.DOB: its length fits no DOB size (3 bytes)"), std::string::npos) << info.err;
}

TEST(PackageCheckCommand, PrintsOneLineAFindingAndASummary)
{
    TempDir work;
    work.write("adv/a.dob", std::string("\x01\x01\x00", 3));
    work.write("adv/stray.txt", "x");
    work.write("adv/advertising.index", "a.dob,3000\n\nb.dob,250\nnonsense\na.dob,3000\n");
    const ProgramRun run = runPelkora(work.path(), {"--check"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "adv/b.dob: named by the playlist, but no such file, line 3\n"
                       "adv/advertising.index:4: not NAME,MS (MS a number of 1 to 9 digits): \"nonsense\"\n"
                       "note: adv/a.dob: named by more than one line (lines 1 5)\n"
                       "adv/stray.txt: no playlist line names it\n"
                       "adv: 2 files, 4 lines, loop 6.250 s: 3 faults\n");

    const ProgramRun missing = runPelkora(work.path(), {"--check", "elsewhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("elsewhere: no such folder"), std::string::npos);
}

// True when the sheet holds a square of side pixels all of this grey.
bool holdsSquareOf(const QImage& sheet, QRgb colour, int side)
{
    for (int y = 0; y + side <= sheet.height(); ++y) {
        for (int x = 0; x + side <= sheet.width(); ++x) {
            bool all = true;
            for (int dy = 0; dy < side && all; ++dy)
                for (int dx = 0; dx < side && all; ++dx)
                    all = sheet.pixel(x + dx, y + dy) == colour;
            if (all)
                return true;
        }
    }
    return false;
}

TEST(PreviewSheet, ShowsEveryLevelAndIsTheSameEachTime)
{
    TempDir work;
    work.write("adv/levels.dob", randomDob(16, 1, 4).bytes);
    work.write("adv/notes-01.txt", "Hello,\nworld.");
    work.write("adv/advertising.index", "levels.dob,3000\n\nnotes-01.txt,6000\n");

    const ProgramRun first = runPelkora(work.path(), {"--preview", "--to", "one.png"});
    ASSERT_EQ(first.status, 0) << first.err;
    const ProgramRun second = runPelkora(work.path(), {"--quiet", "--preview", "adv", "--to", "two.png"});
    ASSERT_EQ(second.status, 0) << second.err;
    const std::string bytes = TempDir::read(work / "one.png");
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes, TempDir::read(work / "two.png"));

    const QImage sheet =
            QImage(QString::fromStdString((work / "one.png").string())).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(sheet.isNull());
    for (int level = 0; level < 16; ++level) {
        const int grey = 255 - 17 * level;
        EXPECT_TRUE(holdsSquareOf(sheet, qRgb(grey, grey, grey), 4)) << "level " << level;
    }

    // One more item makes a different sheet.
    work.write("adv/advertising.index", "levels.dob,3000\n\nnotes-01.txt,6000\nlevels.dob,3000\n\n");
    ASSERT_EQ(runPelkora(work.path(), {"--preview", "--to", "three.png"}).status, 0);
    EXPECT_NE(TempDir::read(work / "three.png"), bytes);

    const ProgramRun none = runPelkora(work.path(), {"--preview", "nowhere", "--to", "four.png"});
    EXPECT_EQ(none.status, 1);
    EXPECT_FALSE(fs::exists(work / "four.png"));
}

TEST(PreviewSheet, StaysBoundedForAPlaylistOfAnyLength)
{
    TempDir work;
    work.write("adv/dot.dob", std::string("\x01\x01\x0F", 3));
    std::string index;
    for (int i = 0; i < 1000; ++i)
        index += "dot.dob,10\n";
    work.write("adv/advertising.index", index);
    const ProgramRun run = runPelkora(work.path(), {"--preview", "--to", "sheet.png"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("of 1000 items"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("1000 of 1000"), std::string::npos) << run.out;
    const QImage sheet(QString::fromStdString((work / "sheet.png").string()));
    EXPECT_LE(static_cast<double>(sheet.width()) * sheet.height(), 256.0 * 1024 * 1024 / 4);
}

}  // namespace
