#pragma once
// Whole-text forms of the pager's streaming steps, for tests that hold a
// short text in memory and want each step's result at once.

#include <string>
#include <string_view>
#include <vector>

#include "output/text_decoding.h"
#include "output/text_pagination.h"

namespace pelkora::testing {

inline std::string normaliseText(std::string_view raw)
{
    std::string out;
    output::TextNormaliser normaliser;
    normaliser.feed(raw, out);
    normaliser.finish(out);
    return out;
}

inline std::string utf16ToUtf8(std::u16string_view units)
{
    std::string out;
    output::appendUtf8(units, out);
    return out;
}

// The pages of a whole text.
inline std::vector<output::PageRange> paginate(std::u16string_view units)
{
    std::vector<output::PageRange> pages;
    output::Paginator paginator([&pages](std::u16string_view, output::PageRange range) { pages.push_back(range); });
    paginator.feed(units);
    paginator.finish();
    return pages;
}

}  // namespace pelkora::testing
