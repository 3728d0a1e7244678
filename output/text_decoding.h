#pragma once
// The steps that turn the bytes of a text file into UTF-16 code units and a
// page's code units back into UTF-8. Each works on a stream in pieces, so
// that a text of any length passes through a fixed amount of memory; the
// whole-text function at the end serves callers that hold the text already.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "output/text_pager_options.h"
#include "platform/charset.h"

namespace pelkora::output {

// Tabs become four spaces and a carriage return before a line feed is
// dropped; everything else passes unchanged. The text ends at its first
// zero byte. A carriage return at the end of one piece waits for the next.
class TextNormaliser {
public:
    // Appends the normalised form of piece to out.
    void feed(std::string_view piece, std::string& out);
    // Appends what still waits (a carriage return that nothing followed).
    void finish(std::string& out);
    // True once a zero byte has ended the text: later pieces are ignored.
    bool ended() const { return ended_; }
    // Bytes fed before the zero byte that ended the text (all bytes fed
    // while it has not ended).
    std::size_t bytesBeforeEnd() const { return fed_; }

private:
    bool heldCarriageReturn_ = false;
    bool ended_ = false;
    std::size_t fed_ = 0;
};

// Bytes in UTF-8 or in an 8-bit or multi-byte character set to UTF-16 code
// units. Bytes that do not decode become U+FFFD.
class TextDecoder {
public:
    // charset as the system names it; UTF-8 (in any spelling) is decoded here.
    explicit TextDecoder(std::string_view charset);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // False when the character set is unknown; decode then yields nothing.
    bool valid() const;

    // Appends the code units of bytes to out and returns how many bytes were
    // used. Unless last, an incomplete character at the end is left for the
    // caller to hand in again, followed by the next bytes; with last it
    // becomes U+FFFD.
    std::size_t decode(std::string_view bytes, std::u16string& out, bool last);

    // Whether any bytes so far did not decode (and became U+FFFD): the text
    // is likely in another character set.
    bool sawUndecodable() const { return undecodable_; }

private:
    std::size_t decodeUtf8(std::string_view bytes, std::u16string& out, bool last);

    bool utf8_ = false;
    bool undecodable_ = false;
    std::unique_ptr<platform::CharsetDecoder> system_;  // when not utf8_
};

// The character set an ANSI text is read in: the one named, else the
// locale's; the C/POSIX locale reads UTF-8.
std::string ansiCharsetFor(const TextPagerOptions& options);

// Appends the UTF-8 form of units to out; a surrogate without its partner
// becomes U+FFFD.
void appendUtf8(std::u16string_view units, std::string& out);

// The code units of a whole text held in memory.
std::u16string decodeText(std::string_view bytes, std::string_view charset);

}  // namespace pelkora::output
