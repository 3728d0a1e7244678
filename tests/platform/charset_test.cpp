#include <gtest/gtest.h>

#include <string>

#include "platform/charset.h"

namespace pelkora::platform {
namespace {

// The spellings texts come with, each to the same characters on every system.
TEST(Charset, CommonNamesDecode)
{
    const struct {
        const char* charset;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
            {"CP1252", "\x80", u"\u20AC"},
            {"windows-1252", "\xE9", u"\u00E9"},
            {"ISO-8859-2", "\xB1", u"\u0105"},
            {"ISO-8859-15", "\xA4", u"\u20AC"},
            {"KOI8-R", "\xC1", u"\u0430"},
            {"GBK", "\xC4\xE3", u"\u4F60"},
            {"Shift_JIS", "\x82\xA0", u"\u3042"},
            {"BIG5", "\xA4\x40", u"\u4E00"},
    };
    for (const auto& c : cases) {
        CharsetDecoder decoder(c.charset);
        ASSERT_TRUE(decoder.valid()) << c.charset;
        std::u16string out;
        EXPECT_EQ(decoder.decode(c.bytes, out, true), c.bytes.size()) << c.charset;
        EXPECT_EQ(out, c.expected) << c.charset;
    }
}

TEST(Charset, UnknownNamesAreRefused)
{
    for (const char* charset : {"NO-SUCH-CHARSET", "CP", "CP99999"})
        EXPECT_FALSE(CharsetDecoder(charset).valid()) << charset;
}

}  // namespace
}  // namespace pelkora::platform
