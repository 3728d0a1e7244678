#pragma once
// Cutting a text of UTF-16 code units into pages of 55 cells: five lines of
// eleven, one cell per code unit, a line feed filling the rest of its line.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace pelkora::output {

inline constexpr int kCellsPerLine = 11;
inline constexpr int kCellsPerPage = 55;

// Code units [begin, end) of the whole text.
struct PageRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const PageRange&, const PageRange&) = default;
};

// Takes the text in pieces of any size and hands on each page as soon as it
// is complete, so that only the current page is held.
class Paginator {
public:
    using PageSink = std::function<void(std::u16string_view units, PageRange range)>;

    // wrapWords: a word (the units between spaces, tabs and line breaks)
    // that would straddle two lines but fits on one starts the next line,
    // after a line feed filling this one as a typed line feed would; a
    // longer word is cut as without it.
    explicit Paginator(PageSink sink, bool wrapWords = false);

    void feed(std::u16string_view units);
    // Hands on the last, partly filled page, if any.
    void finish();

private:
    void feedUnits(std::u16string_view units);
    void feedWrapping(char16_t unit);
    void flushWord();
    void step(char16_t unit, bool lowSurrogateFollows);
    void endPage();

    PageSink sink_;
    std::u16string page_;
    int cells_ = 0;
    std::size_t pageStart_ = 0;
    std::size_t index_ = 0;
    // A high surrogate at the end of a piece waits until it is known
    // whether its low surrogate follows.
    bool holding_ = false;
    char16_t held_ = 0;
    bool wrapWords_ = false;
    std::u16string word_;    // the word so far, at most a line of it
    bool longWord_ = false;  // the word is longer than a line: paged as it comes
    std::size_t advance_ = 1;  // 0 while a filling line feed, not in the text, is paged
};

}  // namespace pelkora::output
