#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/text_decoding.h"
#include "output/text_pager.h"
#include "support/temp_dir.h"
#include "support/whole_text.h"

namespace pelkora::output {
namespace {

using pelkora::testing::normaliseText;
using pelkora::testing::utf16ToUtf8;

using namespace std::string_literals;

TEST(TextEncodingDetection, ReadsTheByteOrderMark)
{
    const testing::TempDir dir;
    const struct {
        std::string bytes;
        TextEncoding expected;
    } cases[] = {
            {"", TextEncoding::Ansi},
            {"abc", TextEncoding::Ansi},
            {"\xFF\xFE", TextEncoding::Utf16LE},
            {"\xFF\xFE"
             "a\0"s,
             TextEncoding::Utf16LE},
            {"\xEF\xBB\xBF", TextEncoding::Utf8},
            {"\xEF\xBB\xBFtext", TextEncoding::Utf8},
            {"\xEF\xBB", TextEncoding::Ansi},
            {"\xFE\xFF\0a"s, TextEncoding::Utf16BE},
            {"\xFE\xFF"s, TextEncoding::Utf16BE},
            {"\xFE"s, TextEncoding::Ansi},
            {"\xFF", TextEncoding::Ansi},
    };
    int index = 0;
    for (const auto& c : cases) {
        const auto file = dir.write(std::string(1, 't').append(std::to_string(index++)), c.bytes);
        EXPECT_EQ(detectTextEncoding(file), c.expected) << "bytes of size " << c.bytes.size();
    }
    EXPECT_EQ(detectTextEncoding(dir / "missing.txt"), TextEncoding::Missing);
    std::filesystem::create_directory(dir / "folder.txt");
    EXPECT_EQ(detectTextEncoding(dir / "folder.txt"), TextEncoding::Missing);
}

TEST(TextNormalisation, ExpandsTabsAndJoinsLineEnds)
{
    const struct {
        std::string raw;
        std::string expected;
    } cases[] = {
            {"", ""},
            {"a\tb", "a    b"},
            {"\t\t", "        "},
            {"a\r\nb\r\n", "a\nb\n"},
            {"a\rb", "a\rb"},
            {"a\r", "a\r"},
            {"\r\r\n", "\r\n"},
            {"\n\r", "\n\r"},
            {"ab\0cd"s, "ab"},
            {"\0abc"s, ""},
            {"\xC3\xA9\t", "\xC3\xA9    "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(normaliseText(c.raw), c.expected) << "raw of size " << c.raw.size();
}

TEST(TextNormalisation, CarriageReturnAtTheEndOfAPieceWaitsForTheNext)
{
    TextNormaliser normaliser;
    std::string out;
    normaliser.feed("a\r", out);
    normaliser.feed("\nb\r", out);
    normaliser.feed("c\0d"s, out);
    EXPECT_TRUE(normaliser.ended());
    normaliser.feed("more", out);
    normaliser.finish(out);
    EXPECT_EQ(out, "a\nb\rc");
}

TEST(TextDecoding, Utf8BecomesCodeUnitsAndBadBytesReplacements)
{
    const struct {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
            {"abc", u"abc"},
            {"\xC3\xA9", u"\u00E9"},
            {"\xE4\xBD\xA0", u"\u4F60"},
            {"\xF0\x9F\x98\x80", u"\U0001F600"},
            {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
            {"a\xFF"
             "b",
             u"a\uFFFDb"},
            {"\x80", u"\uFFFD"},
            {"\xC3", u"\uFFFD"},  // cut at the end
            {"\xE2\x82"
             "a",
             u"\uFFFDa"},                                       // one replacement for the cut sequence
            {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong
            {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD"},            // overlong
            {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
            {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // beyond U+10FFFF
            {"\xF0\x9F\x98"
             "x",
             u"\uFFFDx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeText(c.bytes, "UTF-8"), c.expected) << "bytes of size " << c.bytes.size();
}

TEST(TextDecoding, CharacterCutByAPieceIsLeftForTheNext)
{
    for (const char* charset : {"UTF-8", "GBK"}) {
        const std::string text = std::string(charset) == "GBK" ? "\xC4\xE3\xBA\xC3" : "\xE4\xBD\xA0\xE5\xA5\xBD";
        const std::size_t cut = std::string(charset) == "GBK" ? 3 : 4;
        TextDecoder decoder(charset);
        ASSERT_TRUE(decoder.valid()) << charset;
        std::u16string out;
        const std::size_t used = decoder.decode(std::string_view(text).substr(0, cut), out, false);
        EXPECT_EQ(out, u"\u4F60") << charset;
        const std::size_t rest = decoder.decode(std::string_view(text).substr(used), out, true);
        EXPECT_EQ(used + rest, text.size()) << charset;
        EXPECT_EQ(out, u"\u4F60\u597D") << charset;
    }
}

TEST(TextDecoding, NamedCharacterSets)
{
    EXPECT_EQ(decodeText("caf\xE9 \x80", "CP1252"), u"caf\u00E9 \u20AC");
    EXPECT_EQ(decodeText("\xC4\xE3\xBA\xC3", "GBK"), u"\u4F60\u597D");
    EXPECT_EQ(decodeText("a\xC4", "GBK"), u"a\uFFFD");  // cut at the end
    EXPECT_EQ(decodeText("\x81\x7F"
                         "b",
                         "GBK")
                      .back(),
              u'b');  // decoding goes on after bad bytes
    EXPECT_EQ(decodeText("\x81\x7F"
                         "b",
                         "GBK")
                      .front(),
              u'\uFFFD');
    EXPECT_EQ(decodeText("a\xFF", "utf8"), u"a\uFFFD");
}

TEST(TextDecoding, UnknownCharacterSetIsRefused)
{
    EXPECT_FALSE(TextDecoder("NO-SUCH-CHARSET").valid());
    EXPECT_FALSE(isKnownCharset("NO-SUCH-CHARSET"));
    EXPECT_TRUE(isKnownCharset("CP1252"));
    EXPECT_TRUE(isKnownCharset("UTF-8"));
}

TEST(TextDecoding, AnsiCharacterSetFollowsTheOptionElseTheLocale)
{
    EXPECT_EQ(ansiCharsetFor(TextPagerOptions{"GBK"}), "GBK");
#ifndef _WIN32
    // Tests run in the C locale, whose character set stands for UTF-8.
    // (Windows has no such locale: there the ANSI code page is the locale's.)
    EXPECT_EQ(ansiCharsetFor(TextPagerOptions{}), "UTF-8");
#endif
}

TEST(TextDecoding, CodeUnitsBecomeUtf8)
{
    const struct {
        std::u16string units;
        std::string expected;
    } cases[] = {
            {u"abc", "abc"},
            {std::u16string(1, u'\0'), "\0"s},
            {u"\u007F\u0080\u07FF\u0800\uFFFF", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"},
            {u"\U0001F600", "\xF0\x9F\x98\x80"},
            {std::u16string{0xD83D}, "\xEF\xBF\xBD"},  // high surrogate alone
            {std::u16string{0xDE00, u'a'}, "\xEF\xBF\xBD"
                                           "a"},  // low surrogate alone
            {std::u16string{0xD83D, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(utf16ToUtf8(c.units), c.expected);
}

}  // namespace
}  // namespace pelkora::output
