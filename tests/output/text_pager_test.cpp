#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "output/output_folder.h"
#include "output/playlist.h"
#include "output/text_pager.h"
#include "support/posix_only.h"
#include "support/temp_dir.h"

namespace pelkora::output {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::TempDir;

// A work directory with its output folder, and what the pager left there.
class TextPagerTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(outputFolderPath(work.path())); }

    fs::path source(const std::string& name, std::string_view bytes) { return work.write("in/" + name, bytes); }
    PagerResult page(const fs::path& text, const TextPagerOptions& options = {})
    {
        return pageText(TempDir::read(text), text, work.path(), options);
    }
    std::string pageBytes(const std::string& fileName) const
    {
        return TempDir::read(outputFolderPath(work.path()) / fileName);
    }
    bool pageExists(const std::string& fileName) const { return fs::exists(outputFolderPath(work.path()) / fileName); }
    std::string playlist() const { return TempDir::read(playlistPath(outputFolderPath(work.path()))); }
    std::size_t filesInOutput() const
    {
        return static_cast<std::size_t>(
                std::distance(fs::directory_iterator(outputFolderPath(work.path())), fs::directory_iterator()));
    }

    TempDir work;
};

TEST_F(TextPagerTest, WritesNumberedPagesAndTheirEntries)
{
    const std::string text(120, 'x');
    const auto result = page(source("notes.txt", text));
    EXPECT_EQ(result.outcome.status, Status::Ok);
    EXPECT_EQ(result.pagesWritten, 3);
    EXPECT_EQ(result.pagesSkipped, 0);
    EXPECT_EQ(pageBytes("notes-01.txt"), std::string(55, 'x'));
    EXPECT_EQ(pageBytes("notes-02.txt"), std::string(55, 'x'));
    EXPECT_EQ(pageBytes("notes-03.txt"), std::string(10, 'x'));
    EXPECT_EQ(playlist(), "notes-01.txt,6000\nnotes-02.txt,6000\nnotes-03.txt,6000\n");
}

TEST_F(TextPagerTest, PagesAreUtf8WithoutMarkInEveryEncoding)
{
    const struct {
        const char* name;
        std::string bytes;
        TextPagerOptions options;
        std::string page;
    } cases[] = {
            {"utf8 mark, tab and CR LF", "\xEF\xBB\xBF\xC3\xA9\r\n\tx", {}, "\xC3\xA9\n    x"},
#ifndef _WIN32
            // Windows has no C locale: its ANSI code page is the locale's.
            {"ansi in the C locale reads UTF-8", "caf\xC3\xA9\r", {}, "caf\xC3\xA9\r"},
            {"ansi bad bytes",
             "a\xFF"
             "b",
             {},
             "a\xEF\xBF\xBD"
             "b"},
#endif
            {"ansi named set", "caf\xE9\t!", {"CP1252"}, "caf\xC3\xA9    !"},
            {"ansi zero byte ends the text", "ab\0cd"s, {}, "ab"},
            {"utf8 zero byte ends the text",
             "\xEF\xBB\xBF"
             "ab\0cd"s,
             {},
             "ab"},
            {"utf16be", "\xFE\xFF\0a\0\r\0\n\x00\xE9"s, {}, "a\r\n\xC3\xA9"},
            {"utf16be pair and zero unit", "\xFE\xFF\xD8\x3D\xDE\x00\0\0\0b"s, {}, "\xF0\x9F\x98\x80\0b"s},
            {"utf16be odd last byte dropped", "\xFE\xFF\0a\0"s, {}, "a"},
            {"utf16 keeps CR and tab",
             "\xFF\xFE"
             "a\0\r\0\n\0\t\0b\0"s,
             {},
             "a\r\n\tb"},
            {"utf16 odd last byte dropped",
             "\xFF\xFE"
             "a\0b"s,
             {},
             "a"},
            {"utf16 pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, {}, "\xF0\x9F\x98\x80"},
            {"utf16 lone surrogate",
             "\xFF\xFE\x3D\xD8"
             "a\0"s,
             {},
             "\xEF\xBF\xBD"
             "a"},
            {"utf16 zero unit stays",
             "\xFF\xFE"
             "a\0\0\0b\0"s,
             {},
             "a\0b"s},
    };
    for (const auto& c : cases) {
        const auto result = page(source("case.txt", c.bytes), c.options);
        EXPECT_EQ(result.outcome.status, Status::Ok) << c.name;
        EXPECT_EQ(pageBytes("case-01.txt"), c.page) << c.name;
        EXPECT_FALSE(pageExists("case-02.txt")) << c.name;
    }
}

// Where a zero byte cut the text short, counted in the file's own bytes
// (the mark included), and nothing for texts that a zero does not end.
TEST_F(TextPagerTest, ReportsWhereAZeroByteEndedTheText)
{
    const struct {
        const char* name;
        std::string bytes;
        std::optional<std::uint64_t> offset;
    } cases[] = {
            {"ansi", "ab\0cd"s, 2},
            {"ansi first byte", "\0abc"s, 0},
            {"utf8 after its mark",
             "\xEF\xBB\xBF"
             "abc\0"s,
             6},
            {"tab and CR LF before it count as in the file", "\t\r\nx\0y"s, 4},
            {"beyond the first read piece", std::string(70000, 'x') + "\0tail"s, 70000},
            {"no zero", "abc"s, std::nullopt},
            {"utf16 keeps zero units",
             "\xFF\xFE"
             "a\0\0\0"s,
             std::nullopt},
            {"utf16be keeps zero units", "\xFE\xFF\0a\0\0"s, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(page(source("zero.txt", c.bytes)).zeroByteOffset, c.offset) << c.name;
    }
}

// A text without a mark whose bytes do not all decode in the set it is read
// in is named with that set; a mark or a right set says nothing.
TEST_F(TextPagerTest, NamesTheCharacterSetATextIsNotIn)
{
    const std::string gbk = "\xC4\xE3\xBA\xC3";  // two Chinese characters
    const struct {
        const char* name;
        std::string bytes;
        std::string charset;
        std::optional<std::string> notIn;
    } cases[] = {
            {"GBK read as UTF-8", gbk, "UTF-8", "UTF-8"},
            {"GBK read as GBK", gbk, "GBK", std::nullopt},
            {"bytes GBK has no character for", "\x80\xFF", "GBK", "GBK"},
            {"UTF-8 read as UTF-8", "caf\xC3\xA9", "UTF-8", std::nullopt},
            {"a bad byte after a UTF-8 mark", "\xEF\xBB\xBF\xFFx", "GBK", std::nullopt},
    };
    for (const auto& c : cases) {
        TextPagerOptions options;
        options.ansiCharset = c.charset;
        EXPECT_EQ(page(source("t.txt", c.bytes), options).notInCharset, c.notIn) << c.name;
    }
}

// A UTF-16 text longer than one decoded piece: the pieces meet between
// whole units, in either byte order.
TEST_F(TextPagerTest, Utf16PiecesMeetBetweenWholeUnits)
{
    const std::size_t units = 600 * 55;  // 66000 bytes and the mark
    const struct {
        const char* name;
        std::string mark;
        std::string unit;
        std::string last;
    } cases[] = {
            {"little-endian", "\xFF\xFE", "x\0"s, "\xE9\0"s},
            {"big-endian", "\xFE\xFF", "\0x"s, "\0\xE9"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = c.mark;
        for (std::size_t i = 0; i < units; ++i)
            text += c.unit;
        const auto result = page(source("wide.txt", text + c.last));
        EXPECT_EQ(result.pagesWritten, 601);
        EXPECT_EQ(pageBytes("wide-600.txt"), std::string(55, 'x'));
        EXPECT_EQ(pageBytes("wide-601.txt"), "\xC3\xA9");
    }
}

TEST_F(TextPagerTest, TextsWithoutCharactersGiveNoPages)
{
    for (const std::string& bytes : {""s, "\xFF\xFE"s, "\xEF\xBB\xBF"s, "\0abc"s,
                                     "\xFF\xFE"
                                     "a"s,
                                     "\xFE\xFF"s}) {
        const auto result = page(source("empty.txt", bytes));
        EXPECT_EQ(result.outcome.status, Status::EmptyText) << "bytes of size " << bytes.size();
        EXPECT_EQ(result.pagesWritten, 0);
    }
    EXPECT_EQ(filesInOutput(), 0u);
}

TEST_F(TextPagerTest, UnknownCharacterSetCannotBeRead)
{
    const auto result = page(source("notes.txt", "abc"), TextPagerOptions{"NO-SUCH-CHARSET"});
    EXPECT_EQ(result.outcome.status, Status::CannotRead);
    EXPECT_EQ(filesInOutput(), 0u);
}

TEST_F(TextPagerTest, PagesThatCannotBeCreatedAreSkippedWithoutEntries)
{
    fs::remove(outputFolderPath(work.path()));
    const auto result = page(source("notes.txt", std::string(120, 'x')));
    EXPECT_EQ(result.outcome.status, Status::CannotWrite);
    EXPECT_EQ(result.pagesWritten, 0);
    EXPECT_EQ(result.pagesSkipped, 3);
    EXPECT_FALSE(fs::exists(outputFolderPath(work.path())));
}

TEST_F(TextPagerTest, SkippedPageKeepsItsNumber)
{
    // A folder in the place of a page blocks that page alone; pages are
    // written on two threads, and the entries still come in page order.
    const struct {
        int pages;
        std::vector<int> blocked;
    } cases[] = {{3, {2}}, {200, {2, 64, 65, 66, 129, 200}}};
    for (const auto& c : cases) {
        fs::remove_all(outputFolderPath(work.path()));
        fs::create_directory(outputFolderPath(work.path()));
        for (int number : c.blocked)
            fs::create_directory(outputFolderPath(work.path()) / textPageFileName("notes", number));
        const auto result = page(source("notes.txt", std::string(static_cast<std::size_t>(c.pages) * 55 - 45, 'x')));
        EXPECT_EQ(result.outcome.status, Status::PagesNotWritten);
        EXPECT_EQ(result.outcome.detail, std::to_string(c.blocked.size()));
        EXPECT_EQ(result.pagesSkipped, static_cast<int>(c.blocked.size()));
        EXPECT_EQ(result.pagesWritten, c.pages - static_cast<int>(c.blocked.size()));
        EXPECT_TRUE(result.outcome.cause) << "the cause of the first skipped page is kept";
        std::string entries;
        for (int number = 1; number <= c.pages; ++number) {
            if (std::find(c.blocked.begin(), c.blocked.end(), number) != c.blocked.end())
                continue;
            entries += textPageEntry("notes", number);
            EXPECT_EQ(pageBytes(textPageFileName("notes", number)), std::string(number == c.pages ? 10 : 55, 'x'));
        }
        EXPECT_EQ(playlist(), entries) << c.pages << " pages";
    }
}

TEST_F(TextPagerTest, MissingEntriesAreReported)
{
    fs::create_directory(playlistPath(outputFolderPath(work.path())));
    const auto result = page(source("notes.txt", "abc"));
    EXPECT_EQ(result.outcome.status, Status::CannotWriteIndex);
    EXPECT_EQ(result.pagesWritten, 1);
    EXPECT_EQ(result.entriesMissing, 1);
    EXPECT_EQ(pageBytes("notes-01.txt"), "abc");

    // Entries go in by the batch: every one of a long text's is counted.
    const auto longer = page(source("long.txt", std::string(150 * 55, 'y')));
    EXPECT_EQ(longer.pagesWritten, 150);
    EXPECT_EQ(longer.entriesMissing, 150);
}

TEST_F(TextPagerTest, SurrogatePairIsNeverSplitAcrossPages)
{
    PELKORA_SKIP_WITHOUT_POSIX("a text without mark read as UTF-8, as the C locale does");
    page(source("emoji.txt", std::string(54, 'a')
                                     + "\xF0\x9F\x98\x80"
                                       "b"));
    EXPECT_EQ(pageBytes("emoji-01.txt"), std::string(54, 'a'));
    EXPECT_EQ(pageBytes("emoji-02.txt"), "\xF0\x9F\x98\x80"
                                         "b");
}

TEST(TextPageName, DropsTheLastFourCharacters)
{
    PELKORA_SKIP_WITHOUT_POSIX("paths whose narrow names are the bytes given (on Windows they pass the code page)");
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
            {"/in/notes.txt", "notes"},
            {"/in/readme.text", "readme."},
            {"/in/notes", "notes"},  // no dot: nothing to take off
            {"/in/abcd", "abcd"},
            {"/in/ab.d", ""},
            {"/in/abc", "abc"},
            {"/in/a", "a"},
            {"/in/a.b/c.txt", "c"},
            {"/in/\xE6\x97\xA5\xE6\x9C\xAC.txt", "\xE6\x97\xA5\xE6\x9C\xAC"},
            {"/in/\xE6\x96\x87\xE6\x9C\xAC", "\xE6\x96\x87\xE6\x9C\xAC"},  // two characters
            {"/in/x\xE6\x96\x87.\xE6\x9C\xAC\xF0\x9F\x98\x80\xC3\xA9",
             "x\xE6\x96\x87"},                  // three multi-byte characters and a dot
            {"/in/\xFF.\xFD\xFC\xFB", "\xFF"},  // not UTF-8: bytes
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageNameOf(c.path), c.name) << c.path;
}

TEST_F(TextPagerTest, ConvertingAgainOverwritesPagesAndAppendsEntries)
{
    const auto text = source("notes.txt", std::string(56, 'x'));
    page(text);
    work.write("in/notes.txt", "short");
    page(text);
    EXPECT_EQ(pageBytes("notes-01.txt"), "short");
    EXPECT_EQ(pageBytes("notes-02.txt"), "x");  // the surplus page of the first run stays
    EXPECT_EQ(playlist(), "notes-01.txt,6000\nnotes-02.txt,6000\nnotes-01.txt,6000\n");
}

// More than a megabyte: every page arrives, with characters cut by the
// reading pieces, CR LF pairs, tabs and pairs of surrogates throughout.
TEST_F(TextPagerTest, LongTextBecomesAllItsPages)
{
    std::string text = "\xEF\xBB\xBF";
    std::string expected;
    const std::string words[] = {"\xE4\xBD\xA0\xE5\xA5\xBD", "\r\n", "\t", "\xF0\x9F\x98\x80", "abc", "\n"};
    const std::string normalised[] = {"\xE4\xBD\xA0\xE5\xA5\xBD", "\n", "    ", "\xF0\x9F\x98\x80", "abc", "\n"};
    for (std::size_t i = 0; text.size() < (1u << 20) + 12345; ++i) {
        const std::size_t pick = (i * 7 + i / 3) % 6;
        text += words[pick];
        expected += normalised[pick];
    }
    const auto result = page(source("long.txt", text));
    ASSERT_EQ(result.outcome.status, Status::Ok);

    std::string joined;
    std::string entries;
    for (int number = 1; number <= result.pagesWritten; ++number) {
        const std::string name = textPageFileName("long", number);
        const std::string bytes = pageBytes(name);
        ASSERT_FALSE(bytes.empty()) << name;
        joined += bytes;
        entries += textPageEntry("long", number);
    }
    EXPECT_FALSE(pageExists(textPageFileName("long", result.pagesWritten + 1)));
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(playlist(), entries);
    EXPECT_GT(result.pagesWritten, 10000);
}

}  // namespace
}  // namespace pelkora::output
