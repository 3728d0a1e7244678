#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "output/output_folder.h"
#include "output/playlist.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

TEST(PlaylistEntries, AreTheFormatsByteForByte)
{
    const struct {
        std::string entry;
        std::string expected;
    } cases[] = {
            {stillPictureEntry("logo.dob", "3000"), "logo.dob,3000\n\n"},
            {stillPictureEntry("logo.dob", "fast"), "logo.dob,fast\n\n"},
            {stillPictureEntry("logo.dob", ""), "logo.dob,\n\n"},
            {stillPictureEntry("a.dob.dob", "2500"), "a.dob.dob,2500\n\n"},
            {frameEntry("anim-01.dob", 500), "anim-01.dob,500\n"},
            {frameEntry("anim-100.dob", 0), "anim-100.dob,0\n"},
            {frameEntry("anim-02.dob", -10), "anim-02.dob,-10\n"},
            {textPageEntry("notes", 1), "notes-01.txt,6000\n"},
            {textPageEntry("notes", 9), "notes-09.txt,6000\n"},
            {textPageEntry("notes", 10), "notes-10.txt,6000\n"},
            {textPageEntry("notes", 100), "notes-100.txt,6000\n"},
            {textPageEntry("readme.", 2), "readme.-02.txt,6000\n"},
            {textPageEntry("", 3), "-03.txt,6000\n"},
            {textPageFileName("notes", 7), "notes-07.txt"},
            {textPageFileName("notes", 12345), "notes-12345.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.entry, c.expected);
}

TEST(PlaylistAppend, BuildsTheWorkedExample)
{
    const TempDir dir;
    const auto playlist = playlistPath(dir.path());
    const std::string entries[] = {
            stillPictureEntry("logo.dob", "3000"),    frameEntry("anim-01.dob", 500), frameEntry("anim-02.dob", 500),
            stillPictureEntry("anim-03.dob", "1500"), textPageEntry("notes", 1),      textPageEntry("notes", 2),
    };
    for (const auto& entry : entries)
        EXPECT_TRUE(appendPlaylistEntry(playlist, entry).ok());
    EXPECT_EQ(TempDir::read(playlist), "logo.dob,3000\n\nanim-01.dob,500\nanim-02.dob,500\nanim-03.dob,1500\n\n"
                                       "notes-01.txt,6000\nnotes-02.txt,6000\n");
}

TEST(PlaylistAppend, FailsWithoutItsFolder)
{
    const TempDir dir;
    EXPECT_FALSE(appendPlaylistEntry(dir / "missing/advertising.index", "a.dob,1\n").ok());
    EXPECT_FALSE(fs::exists(dir / "missing"));
    fs::create_directory(dir / "advertising.index");
    EXPECT_FALSE(appendPlaylistEntry(dir / "advertising.index", "a.dob,1\n").ok());
}

// Long lines make a torn write likely if the lock or the single write failed.
TEST(PlaylistAppend, LinesFromTwoThreadsArriveWhole)
{
    const TempDir dir;
    const auto playlist = playlistPath(dir.path());
    constexpr int kLines = 10000;
    auto line = [](int thread, int number) {
        const std::string padding(static_cast<std::size_t>(number % 97) * 40, static_cast<char>('a' + thread));
        std::string text = "t";
        text += std::to_string(thread);
        text += '-';
        text += std::to_string(number);
        text += '-';
        text += padding;
        text += ",6000\n";
        return text;
    };
    auto writer = [&](int thread) {
        for (int number = 0; number < kLines; ++number)
            ASSERT_TRUE(appendPlaylistEntry(playlist, line(thread, number)).ok());
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();

    std::set<std::string> expected;
    for (int thread = 0; thread < 2; ++thread)
        for (int number = 0; number < kLines; ++number) {
            std::string text = line(thread, number);
            text.pop_back();
            expected.insert(std::move(text));
        }
    std::istringstream content(TempDir::read(playlist));
    std::set<std::string> found;
    int lines = 0;
    for (std::string text; std::getline(content, text); ++lines)
        found.insert(text);
    EXPECT_EQ(lines, 2 * kLines);
    EXPECT_TRUE(found == expected) << found.size() << " distinct lines, " << expected.size() << " expected";
}

TEST(DobNames, EveryBmpOfTheCaptureNameIsReadAsDob)
{
    struct Case {
        const char* base;
        int frame;
        const char* dob;
    };
    const Case cases[] = {
            {"logo", 0, "logo.dob"},       {"anim", 1, "anim-01.dob"},     {"anim", 10, "anim-10.dob"},
            {"a.bmp", 0, "a.dob.dob"},     {"a.bmp", 1, "a.dob-01.dob"},   {"A.BMP", 0, "A.BMP.dob"},
            {".bmpbmp", 0, ".dobbmp.dob"}, {"x.bm", 0, "x.bm.dob"},        {"a.bmp.bmp", 3, "a.dob.dob-03.dob"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dobFileName(c.base, c.frame), c.dob) << c.base << " " << c.frame;
}

}  // namespace
}  // namespace pelkora::output
