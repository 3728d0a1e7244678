#include <gtest/gtest.h>

#include <string>

#include "output/utf8.h"

namespace pelkora::output {
namespace {

using namespace std::string_literals;

TEST(Utf8Sequence, StrictLengthsAtTheEdgesOfEachForm)
{
    struct Case {
        std::string bytes;
        std::size_t length;  // 0: not one sequence
    };
    const Case cases[] = {
            {"a", 1},
            {"\x7F", 1},
            {"\xC2\x80", 2},          // U+0080, the first two-byte value
            {"\xC1\xBF", 0},          // overlong U+007F
            {"\xC0\xAF", 0},          // overlong '/'
            {"\xDF\xBF", 2},          // U+07FF
            {"\xE0\xA0\x80", 3},      // U+0800
            {"\xE0\x9F\xBF", 0},      // overlong U+07FF
            {"\xED\x9F\xBF", 3},      // U+D7FF, the last before the surrogates
            {"\xED\xA0\x80", 0},      // U+D800, a surrogate
            {"\xEF\xBF\xBF", 3},      // U+FFFF
            {"\xF0\x90\x80\x80", 4},  // U+10000
            {"\xF0\x8F\xBF\xBF", 0},  // overlong U+FFFF
            {"\xF4\x8F\xBF\xBF", 4},  // U+10FFFF, the last code point
            {"\xF4\x90\x80\x80", 0},  // beyond U+10FFFF
            {"\xF5\x80\x80\x80", 0},  // a byte that never leads
            {"\x80", 0},              // a trailing byte alone
            {"\xE2\x82", 0},          // cut short
            {"\xE2\x82\x41", 0},      // a trailing byte missing
            {"\xE2\x82\xAC"
             "rest",
             3},  // only the sequence counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(utf8SequenceLength(c.bytes, 0), c.length);
    }
    EXPECT_EQ(utf8SequenceLength("ab", 2), 0u);
    EXPECT_EQ(utf8SequenceLength("a\xC3\xA9", 1), 2u);
}

}  // namespace
}  // namespace pelkora::output
