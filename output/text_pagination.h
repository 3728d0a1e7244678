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

    explicit Paginator(PageSink sink);

    void feed(std::u16string_view units);
    // Hands on the last, partly filled page, if any.
    void finish();

private:
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
};

}  // namespace pelkora::output
