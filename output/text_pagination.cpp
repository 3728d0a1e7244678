#include "output/text_pagination.h"

#include <utility>

namespace pelkora::output {

namespace {

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

Paginator::Paginator(PageSink sink, bool wrapWords) : sink_(std::move(sink)), wrapWords_(wrapWords)
{
    page_.reserve(kCellsPerPage);
}

void Paginator::feed(std::u16string_view units)
{
    if (!wrapWords_) {
        feedUnits(units);
        return;
    }
    for (const char16_t unit : units)
        feedWrapping(unit);
}

void Paginator::feedWrapping(char16_t unit)
{
    if (unit == u' ' || unit == u'\t' || unit == u'\n' || unit == u'\r') {
        flushWord();
        longWord_ = false;
        feedUnits(std::u16string_view(&unit, 1));
    } else if (longWord_) {
        feedUnits(std::u16string_view(&unit, 1));
    } else {
        word_.push_back(unit);
        if (word_.size() > static_cast<std::size_t>(kCellsPerLine)) {
            feedUnits(word_);
            word_.clear();
            longWord_ = true;
        }
    }
}

void Paginator::flushWord()
{
    if (word_.empty())
        return;
    // Nothing is held here: the unit before the word was a separator.
    const int column = cells_ % kCellsPerLine;
    if (column > 0 && column + static_cast<int>(word_.size()) > kCellsPerLine) {
        advance_ = 0;
        step(u'\n', false);
        advance_ = 1;
    }
    feedUnits(word_);
    word_.clear();
}

void Paginator::feedUnits(std::u16string_view units)
{
    if (units.empty())
        return;
    if (holding_) {
        holding_ = false;
        step(held_, isLowSurrogate(units.front()));
    }
    const std::size_t last = units.size() - 1;
    for (std::size_t i = 0; i < last; ++i)
        step(units[i], isLowSurrogate(units[i + 1]));
    if (isHighSurrogate(units[last])) {
        holding_ = true;
        held_ = units[last];
    } else {
        step(units[last], false);
    }
}

void Paginator::finish()
{
    flushWord();
    if (holding_) {
        holding_ = false;
        step(held_, false);
    }
    if (!page_.empty())
        endPage();
}

void Paginator::step(char16_t unit, bool lowSurrogateFollows)
{
    cells_ += 1;
    if (unit == u'\n')
        cells_ += kCellsPerLine - cells_ % kCellsPerLine;
    if (cells_ < kCellsPerPage) {
        page_.push_back(unit);
        index_ += advance_;
        return;
    }
    if (isHighSurrogate(unit) && lowSurrogateFollows && !page_.empty()) {
        // The pair stays together: this page ends before it, the next one
        // starts with it.
        endPage();
        cells_ = 1;
        page_.push_back(unit);
        index_ += advance_;
        return;
    }
    page_.push_back(unit);
    index_ += advance_;
    // A line feed on the page's last cell carries a whole blank line over.
    const int carried = cells_ - kCellsPerPage;
    endPage();
    cells_ = carried;
}

void Paginator::endPage()
{
    sink_(page_, PageRange{pageStart_, index_});
    page_.clear();
    pageStart_ = index_;
    cells_ = 0;
}

}  // namespace pelkora::output
