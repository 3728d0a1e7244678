#include <gtest/gtest.h>

#include <string>

#include "output/non_text.h"

namespace pelkora::output {
namespace {

using namespace std::string_literals;

TEST(NonText, IsToldByItsFirstBytesAndADobByItsName)
{
    const struct {
        const char* name;
        std::string head;
        std::uint64_t length;  // of the whole file; 0: the head's
        const char* path;
        std::string reason;  // empty: may be paged
    } cases[] = {
            {"a ZIP archive", "PK\x03\x04\x14\0\0\0"s, 0, "a.txt", "a ZIP archive"},
            {"a PDF", "%PDF-1.7\n", 0, "a.txt", "a PDF document"},
            {"a program", "\x7F" "ELF\x02\x01\x01"s, 0, "a", "an ELF program"},
            {"a word after RIFF", "RIFF is a format", 0, "a.txt", ""},
            {"a DOB of a fitting length", "\x02\x02\x11\x22"s, 0, "x.DOB", "a DOB file (--render turns it into a PNG)"},
            {"a DOB's bytes in a text", "\x02\x02\x11\x22"s, 0, "x.txt", ""},
            {"a .dob of no fitting length", "\x02\x02\x11"s, 0, "x.dob", ""},
            {"a DOB's head on a file of other length", "\x02\x02\x11\x22"s, 100, "x.dob", ""},
            {"one zero byte, a terminator", "ab\0cd"s, 0, "z.txt", ""},
            {"zero bytes", "ab\0c\0"s, 0, "z.txt", "binary content (zero bytes at offsets 2 and 4)"},
            {"UTF-16 with its mark", "\xFF\xFEh\0i\0"s, 0, "u.txt", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(whyNotAText(c.head, c.length != 0 ? c.length : c.head.size(), c.path), c.reason);
    }
}

}  // namespace
}  // namespace pelkora::output
