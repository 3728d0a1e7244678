#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "output/package_check.h"
#include "output/text_decoding.h"
#include "output/text_pagination.h"
#include "support/temp_dir.h"
#include "support/whole_text.h"

namespace pelkora::output {
namespace {

using pelkora::testing::paginate;
using pelkora::testing::utf16ToUtf8;

namespace fs = std::filesystem;
using testing::TempDir;

const std::string kSoundIndex = "a.dob,3000\n\nanim-01.dob,40\nanim-02.dob,1500\n\nnotes-01.txt,6000\n";

// A package as the writers leave it: a still picture, a two-frame
// animation and a text page.
void writeSoundPackage(const TempDir& work)
{
    work.write("adv/a.dob", std::string("\x03\x01\x0F\x0F", 4));
    work.write("adv/anim-01.dob", std::string("\x01\x02\xF0", 3));
    work.write("adv/anim-02.dob", std::string("\x01\x02\x0F", 3));
    work.write("adv/notes-01.txt", "Hello,\nworld \xE4\xB8\xAD\n");
    work.write("adv/advertising.index", kSoundIndex);
}

TEST(PackageCheck, FindsNothingWrongWithASoundPackage)
{
    TempDir work;
    writeSoundPackage(work);
    fs::create_directory(work / "adv/left-over-folder");
#ifndef _WIN32
    // A link that a copy carries along with the file it names is sound.
    fs::remove(work / "adv/anim-02.dob");
    fs::create_symlink("anim-01.dob", work / "adv/anim-02.dob");
#endif
    const PackageCheck check = checkPackage(work / "adv");
    EXPECT_TRUE(check.sound());
    EXPECT_TRUE(check.findings.empty());
    EXPECT_EQ(check.files, 4u);
    EXPECT_EQ(check.lines, 4u);
    EXPECT_EQ(check.loopMilliseconds, 3000u + 40u + 1500u + 6000u);
}

TEST(PackageCheck, ReportsEachKindOfDamageOnce)
{
    const struct {
        const char* what;
        std::function<void(const TempDir&)> damage;
        Status expected;
        std::string name;  // of the finding
        std::size_t line;  // of the finding
        bool note;
    } cases[] = {
            {"a line that is no entry",
             [](const TempDir& w) { w.write("adv/advertising.index", kSoundIndex + "junk\n"); },
             Status::BadPlaylistLine, "", 7, false},
            {"a time of ten digits",
             [](const TempDir& w) { w.write("adv/advertising.index", kSoundIndex + "a.dob,1234567890\n"); },
             Status::BadPlaylistLine, "", 7, false},
            {"a time that is a word",
             [](const TempDir& w) { w.write("adv/advertising.index", "a.dob,fast\n\n" + kSoundIndex); },
             Status::BadPlaylistLine, "", 1, false},
            {"a torn last line",
             [](const TempDir& w) { w.write("adv/advertising.index", kSoundIndex.substr(0, kSoundIndex.size() - 1)); },
             Status::TornPlaylistLine, "", 6, false},
            {"a named file missing", [](const TempDir& w) { fs::remove(w / "adv/anim-02.dob"); },
             Status::MissingFromPackage, "anim-02.dob", 4, false},
            {"a picture of a length no size fits",
             [](const TempDir& w) { w.write("adv/a.dob", std::string("\x03\x03\x00", 3)); }, Status::BadDobLength,
             "a.dob", 1, false},
            {"a page that is not UTF-8", [](const TempDir& w) { w.write("adv/notes-01.txt", "caf\xC3"); },
             Status::NotUtf8, "notes-01.txt", 6, false},
            {"a page of 56 cells", [](const TempDir& w) { w.write("adv/notes-01.txt", std::string(56, 'x')); },
             Status::PageTooLong, "notes-01.txt", 6, false},
            {"a file no line names", [](const TempDir& w) { w.write("adv/stray.dob", std::string("\x01\x01\x00", 3)); },
             Status::NotInPlaylist, "stray.dob", 0, false},
            {"a file an interrupted run left", [](const TempDir& w) { w.write("adv/.pelkora-tmp-Ab12cD", "x"); },
             Status::LeftByInterruption, ".pelkora-tmp-Ab12cD", 0, false},
            {"no playlist", [](const TempDir& w) { fs::remove(w / "adv/advertising.index"); },
             Status::MissingFromPackage, "advertising.index", 0, false},
#ifndef _WIN32
            {"a picture that is a link to a file elsewhere",
             [](const TempDir& w) {
                 fs::remove(w / "adv/a.dob");
                 fs::create_symlink(w.write("elsewhere/a.dob", std::string("\x03\x01\x0F\x0F", 4)), w / "adv/a.dob");
             },
             Status::LinkOutOfPackage, "a.dob", 1, false},
            {"a page that leads out by a relative link",
             [](const TempDir& w) {
                 w.write("notes.txt", "Hello\n");
                 fs::remove(w / "adv/notes-01.txt");
                 fs::create_symlink("../notes.txt", w / "adv/notes-01.txt");
             },
             Status::LinkOutOfPackage, "notes-01.txt", 6, false},
#endif
            {"a picture added twice",
             [](const TempDir& w) { w.write("adv/advertising.index", kSoundIndex + "a.dob,3000\n\n"); },
             Status::NamedTwice, "a.dob", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir work;
        writeSoundPackage(work);
        c.damage(work);
        const PackageCheck check = checkPackage(work / "adv");
        ASSERT_EQ(check.findings.size(), 1u);
        const Finding& finding = check.findings.front();
        EXPECT_EQ(finding.outcome.status, c.expected) << outcomeText(finding.outcome);
        EXPECT_EQ(finding.name, c.name);
        EXPECT_EQ(finding.line, c.line);
        EXPECT_EQ(finding.outcome.severity == Severity::Note, c.note);
        EXPECT_EQ(check.sound(), c.note);
    }
}

TEST(PackageCheck, FaultsAWrappedHeaderAndWarnsOfAPictureLargerThanTheScreen)
{
    struct Case {
        const char* what;
        Size picture;
        std::optional<Size> screen;
        Status expected;  // Ok: no finding
        bool sound;
    };
    const Size screen{128, 64};
    const Case cases[] = {
            {"a side of 300 stored as 44", {300, 20}, std::nullopt, Status::DobHeaderWrapped, false},
            {"a side of exactly 256 stored as 0", {256, 1}, std::nullopt, Status::DobHeaderWrapped, false},
            {"a wrapped header is a fault on any screen", {300, 20}, screen, Status::DobHeaderWrapped, false},
            {"the largest that does not wrap", {255, 255}, std::nullopt, Status::Ok, true},
            {"higher than the screen", {100, 65}, screen, Status::LargerThanScreen, true},
            {"wider than the screen", {129, 10}, screen, Status::LargerThanScreen, true},
            {"exactly the screen", {128, 64}, screen, Status::Ok, true},
            {"large, but no screen given", {200, 100}, std::nullopt, Status::Ok, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir work;
        std::string dob(2 + (std::size_t(c.picture.width) * std::size_t(c.picture.height) + 1) / 2, '\0');
        dob[0] = char(c.picture.width & 0xFF);
        dob[1] = char(c.picture.height & 0xFF);
        work.write("adv/big.dob", dob);
        work.write("adv/advertising.index", "big.dob,3000\n\n");
        const PackageCheck check = checkPackage(work / "adv", c.screen);
        EXPECT_EQ(check.sound(), c.sound);
        ASSERT_EQ(check.findings.size(), c.expected == Status::Ok ? 0u : 1u);
        if (c.expected != Status::Ok) {
            EXPECT_EQ(check.findings.front().outcome.status, c.expected) << outcomeText(check.findings.front().outcome);
        }
    }
}

TEST(PackageCheck, ReportsAMissingFolder)
{
    TempDir work;
    const PackageCheck check = checkPackage(work / "adv");
    EXPECT_FALSE(check.folderFound);
    EXPECT_FALSE(check.sound());
}

TEST(PackageCheck, NamesEveryLineItCannotReadWhateverThePlaylistHolds)
{
    // Playlists of random lines from pieces that are entries, almost
    // entries and noise: every non-empty line either counts or is named.
    const std::string pieces[] = {"a.dob", ",", "3000", "1234567890", "\n", "\n\n", "x", "\r", "/", "\xFF", "-1"};
    std::mt19937 random(99);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    for (int round = 0; round < 30; ++round) {
        TempDir work;
        writeSoundPackage(work);
        std::string index;
        for (int i = 0; i < 40; ++i)
            index += pieces[pick(random)];
        work.write("adv/advertising.index", index);
        SCOPED_TRACE(::testing::PrintToString(index));

        std::size_t lines = 0;
        std::size_t unreadable = 0;
        std::uint64_t loop = 0;
        std::size_t at = 0;
        while (at < index.size()) {
            const std::size_t feed = std::min(index.find('\n', at), index.size());
            const std::string line = index.substr(at, feed - at);
            at = feed + 1;
            if (line.empty())
                continue;
            ++lines;
            const PlaylistLine parsed = parsePlaylistLine(line);
            if (!parsed.wellFormed || feed == index.size())
                ++unreadable;
            loop += parsed.milliseconds;
        }
        const PackageCheck check = checkPackage(work / "adv");
        EXPECT_EQ(check.lines, lines);
        EXPECT_EQ(check.loopMilliseconds, loop);
        const auto lineFindings = std::count_if(check.findings.begin(), check.findings.end(), [](const Finding& f) {
            return f.outcome.status == Status::BadPlaylistLine || f.outcome.status == Status::TornPlaylistLine;
        });
        EXPECT_EQ(static_cast<std::size_t>(lineFindings), unreadable);
        if (unreadable > 0) {
            EXPECT_FALSE(check.sound());
        }
    }
}

TEST(PlaylistLines, AreNameCommaDigits)
{
    const struct {
        std::string line;
        bool wellFormed;
        std::string name;
        std::uint64_t milliseconds;
    } cases[] = {
            {"logo.dob,3000", true, "logo.dob", 3000},
            {"anim-100.dob,0", true, "anim-100.dob", 0},
            {"a,b.dob,999999999", true, "a,b.dob", 999999999},  // the time follows the last comma
            {"x.txt,1234567890", false, "", 0},
            {"x.txt,", false, "", 0},
            {",3000", false, "", 0},
            {"x.txt", false, "", 0},
            {"x.txt,-10", false, "", 0},
            {"x.txt,30 ", false, "", 0},
            {"x.txt,3000\r", false, "", 0},
            {"sub/x.dob,3000", false, "", 0},
            {"..\\x.dob,3000", false, "", 0},
            {std::string("x\0.dob,1", 8), false, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const PlaylistLine parsed = parsePlaylistLine(c.line);
        EXPECT_EQ(parsed.wellFormed, c.wellFormed);
        EXPECT_EQ(parsed.name, c.name);
        EXPECT_EQ(parsed.milliseconds, c.milliseconds);
    }
}

TEST(PageCells, AreCountedAsThePagerCountsThem)
{
    const std::string emoji = "\xF0\x9F\x98\x80";  // outside the BMP: two cells
    std::string twentySevenEmoji;
    for (int i = 0; i < 27; ++i)
        twentySevenEmoji += emoji;
    const struct {
        std::string page;
        int cells;  // -1: not UTF-8
    } cases[] = {
            {"", 0},
            {std::string(55, 'x'), 55},
            {std::string(56, 'x'), 56},
            {"abc\n", 4},
            {"abcdefghij\nabcdefghij\nabcdefghij\n", 55},   // a line feed on the last cell
            {"abcdefghij\nabcdefghij\nabcdefghij\nz", 67},  // the whole blank line it adds
            {"\n\n\n\n\n", 45},
            {twentySevenEmoji + "x", 55},
            {twentySevenEmoji + emoji, 56},
            {"\xE4\xB8\xAD", 1},
            {"\xC0\xAF", -1},          // overlong
            {"\xED\xA0\x80", -1},      // a surrogate
            {"\xF4\x90\x80\x80", -1},  // above U+10FFFF
            {"ok\xE4\xB8", -1},        // cut short
            {"\xFF", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.page));
        EXPECT_EQ(pageCells(c.page), c.cells);
        const Status expected = c.cells < 0 ? Status::NotUtf8 : c.cells > 55 ? Status::PageTooLong : Status::Ok;
        EXPECT_EQ(checkPage(c.page).outcome.status, expected);
    }
}

TEST(PageCells, PassEveryPageThePagerCuts)
{
    const std::u16string pieces[] = {u"a", u"\n", u"\u00E9", u"\u4E2D", u"\U0001F600", u" "};
    std::mt19937 random(55);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    for (int round = 0; round < 50; ++round) {
        std::u16string text;
        for (int i = 0; i < 300; ++i)
            text += pieces[pick(random)];
        for (const PageRange range : paginate(text)) {
            const std::string page =
                    utf16ToUtf8(std::u16string_view(text).substr(range.begin, range.end - range.begin));
            const Finding finding = checkPage(page);
            ASSERT_EQ(finding.outcome.status, Status::Ok) << outcomeText(finding.outcome);
        }
    }
}

}  // namespace
}  // namespace pelkora::output
