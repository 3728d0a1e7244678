#pragma once
// The UTF-8 lead-byte rules, in one place for the decoder, the pager and the
// package check.

#include <cstddef>
#include <string_view>

namespace pelkora::output {

// The trailing bytes a lead byte announces and the range its first trailing
// byte must lie in (which rules out overlong forms, surrogates and values
// beyond U+10FFFF); 0 trailing bytes for a byte that cannot lead.
struct Utf8Lead {
    int trailing = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

inline Utf8Lead utf8Lead(unsigned char byte)
{
    if (byte >= 0xC2 && byte <= 0xDF)
        return {1, 0x80, 0xBF};
    if (byte == 0xE0)
        return {2, 0xA0, 0xBF};
    if (byte == 0xED)
        return {2, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF)
        return {2, 0x80, 0xBF};
    if (byte == 0xF0)
        return {3, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3)
        return {3, 0x80, 0xBF};
    if (byte == 0xF4)
        return {3, 0x80, 0x8F};
    return {};
}

inline bool isUtf8Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the strict UTF-8 sequence at bytes[at], or 0 when the bytes
// there are not one (cut short included).
inline std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (at >= bytes.size())
        return 0;
    if (byte(at) < 0x80)
        return 1;
    const Utf8Lead lead = utf8Lead(byte(at));
    const auto length = static_cast<std::size_t>(lead.trailing) + 1;
    if (lead.trailing == 0 || bytes.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        const unsigned char low = i == 1 ? lead.low : 0x80;
        const unsigned char high = i == 1 ? lead.high : 0xBF;
        if (next < low || next > high)
            return 0;
    }
    return length;
}

}  // namespace pelkora::output
