#pragma once
// Text in a named character set (an 8-bit or multi-byte set such as an
// ANSI code page) to UTF-16 code units, in pieces of any size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelkora::platform {

class CharsetDecoder {
public:
    // charset as the system names it: "CP1252", "GBK", "ISO-8859-2", ...
    explicit CharsetDecoder(std::string_view charset);
    ~CharsetDecoder();
    CharsetDecoder(const CharsetDecoder&) = delete;
    CharsetDecoder& operator=(const CharsetDecoder&) = delete;

    // False when the system does not know the character set.
    bool valid() const { return state_ != 0; }

    // Appends the code units of bytes to out and returns how many bytes were
    // used. Bytes that do not decode become U+FFFD, one for each byte. Unless
    // last, an incomplete character at the end is left for the caller to
    // hand in again with the next bytes; with last it becomes one U+FFFD.
    std::size_t decode(std::string_view bytes, std::u16string& out, bool last);

private:
    std::uintptr_t state_ = 0;  // the system's converter, or code page; 0 when none
};

// The character set of the user's locale, as the system names it.
std::string localeCharset();

}  // namespace pelkora::platform
