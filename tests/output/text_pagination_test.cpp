#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "output/text_pagination.h"
#include "support/whole_text.h"

namespace pelkora::output {
namespace {

using pelkora::testing::paginate;

constexpr char16_t kHigh = 0xD83D;  // with kLow: U+1F600
constexpr char16_t kLow = 0xDE00;

std::u16string repeat(char16_t unit, std::size_t count) { return std::u16string(count, unit); }

std::u16string ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

std::vector<std::size_t> pageLengths(std::u16string_view text)
{
    std::vector<std::size_t> lengths;
    for (const PageRange& page : paginate(text))
        lengths.push_back(page.end - page.begin);
    return lengths;
}

struct PaginationCase {
    const char* name;
    std::u16string text;
    std::vector<std::size_t> pages;
};

TEST(TextPagination, CutsPagesByCells)
{
    const std::vector<PaginationCase> cases = {
            {"empty text", u"", {}},
            {"120 characters on one line", repeat(u'x', 120), {55, 55, 10}},
            {"exactly 55 characters: no empty second page", repeat(u'x', 55), {55}},
            {"56 characters", repeat(u'x', 56), {55, 1}},
            {"abc and a line feed", u"abc\n", {4}},
            {"12 line feeds", repeat(u'\n', 12), {5, 5, 2}},
            {"six lines of two characters", ascii("L1\nL2\nL3\nL4\nL5\nL6\n"), {15, 3}},
            // 9 characters and a line feed: one line; the 44 after fill the page
            // with one to spare.
            {"9 characters and a line feed take one line", ascii("123456789\n") + repeat(u'x', 45), {54, 1}},
            {"10 characters and a line feed take two lines", ascii("0123456789\n") + repeat(u'x', 34), {44, 1}},
            {"11 characters and a line feed take two lines", ascii("0123456789A\n") + repeat(u'x', 34), {45, 1}},
            {"line feed on the last cell carries a line over",
             repeat(u'x', 54) + u"\n" + repeat(u'y', 60),
             {55, 44, 16}},
            {"carriage returns and tabs take one cell each", ascii("a\r\n\tb") + repeat(u'x', 50), {47, 8}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageLengths(c.text), c.pages) << c.name;
}

TEST(TextPagination, KeepsSurrogatePairsTogether)
{
    const std::vector<PaginationCase> cases = {
            {"pair on the 55th and 56th cell moves to the next page", repeat(u'a', 54) + kHigh + kLow + u"b", {54, 3}},
            {"pair on the 54th and 55th cell stays", repeat(u'a', 53) + kHigh + kLow + u"b", {55, 1}},
            {"lone high surrogate ending the text fills the page", repeat(u'a', 54) + kHigh, {55}},
            {"high surrogate not followed by a low one fills the page", repeat(u'a', 54) + kHigh + u"x", {55, 1}},
            {"pair after a carried line", repeat(u'a', 54) + u"\n" + repeat(u'b', 43) + kHigh + kLow, {55, 43, 2}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pageLengths(c.text), c.pages) << c.name;
}

// The pages must not depend on how the text is cut into pieces, above all
// when a piece ends between the two halves of a pair.
TEST(TextPagination, PiecesGiveTheSamePagesAsTheWholeText)
{
    std::mt19937 random(7);
    const std::u16string characters[] = {u"a", u"\n", u"\r", u"\t", {kHigh, kLow}, {kHigh}, {kLow}, u"z"};
    for (int round = 0; round < 200; ++round) {
        std::u16string text;
        const int length = std::uniform_int_distribution<int>(0, 600)(random);
        for (int i = 0; i < length; ++i)
            text += characters[random() % std::size(characters)];
        const auto whole = paginate(text);

        std::vector<PageRange> pieced;
        std::u16string joined;
        Paginator paginator([&](std::u16string_view units, PageRange range) {
            EXPECT_EQ(units, std::u16string_view(text).substr(range.begin, range.end - range.begin));
            pieced.push_back(range);
            joined.append(units);
        });
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t size = std::uniform_int_distribution<std::size_t>(0, 3)(random);
            paginator.feed(std::u16string_view(text).substr(at, size));
            at += size;
        }
        paginator.finish();
        EXPECT_EQ(pieced, whole) << "round " << round;
        EXPECT_EQ(joined, text) << "round " << round;
    }
}

}  // namespace
}  // namespace pelkora::output

namespace pelkora::output {
namespace {

std::vector<std::u16string> wrappedPages(std::u16string_view text, bool wrapWords, std::size_t piece)
{
    std::vector<std::u16string> pages;
    Paginator paginator([&](std::u16string_view units, PageRange) { pages.emplace_back(units); }, wrapWords);
    for (std::size_t at = 0; at < text.size(); at += piece)
        paginator.feed(text.substr(at, piece));
    paginator.finish();
    return pages;
}

TEST(TextPagination, WrappingWordsBreaksLinesOnlyWhereAWordFits)
{
    const struct {
        const char* name;
        std::u16string text;
        std::vector<std::u16string> pages;  // empty: the same as without wrapping
    } rows[] = {
            {"English", u"Welcome to the Riverside cafe", {u"Welcome to the \nRiverside \ncafe"}},
            {"Chinese, no spaces", u"你好世界这是一个很长的中文句子没有空格真的", {}},
            {"mixed", u"咖啡 coffee 很好喝", {u"咖啡 coffee \n很好喝"}},
            {"a word longer than a line is cut", u"a supercalifragilistic word", {}},
            {"a filled line's feed may end the page",
             u"aaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd eeeeee ffffffff",
             {u"aaaaaaaaaa bbbbbbbbbb cccccccccc dddddddddd eeeeee \n", u"ffffffff"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::u16string> expected =
                row.pages.empty() ? wrappedPages(row.text, false, row.text.size()) : row.pages;
        // Pieces of one unit: a word split across pieces wraps the same.
        EXPECT_EQ(wrappedPages(row.text, true, row.text.size()), expected);
        EXPECT_EQ(wrappedPages(row.text, true, 1), expected);
    }
}

}  // namespace
}  // namespace pelkora::output
