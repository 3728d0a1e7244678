#include "platform/charset.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>

namespace pelkora::platform {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

iconv_t asIconv(std::uintptr_t state) { return reinterpret_cast<iconv_t>(state); }

}  // namespace

CharsetDecoder::CharsetDecoder(std::string_view charset)
{
    const iconv_t handle = iconv_open("UTF-16LE", std::string(charset).c_str());
    if (handle != reinterpret_cast<iconv_t>(-1))
        state_ = reinterpret_cast<std::uintptr_t>(handle);
}

CharsetDecoder::~CharsetDecoder()
{
    if (valid())
        iconv_close(asIconv(state_));
}

std::size_t CharsetDecoder::decode(std::string_view bytes, std::u16string& out, bool last)
{
    if (!valid())
        return bytes.size();
    char buffer[8192];
    auto* in = const_cast<char*>(bytes.data());  // iconv's interface; it does not write there
    std::size_t inLeft = bytes.size();
    auto flush = [&](char* end) {
        for (const char* p = buffer; p + 1 < end; p += 2)
            out.push_back(
                    static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)));
    };
    while (true) {
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        const bool finishing = inLeft == 0;
        if (finishing && !last)
            break;
        const std::size_t result =
                finishing ? iconv(asIconv(state_), nullptr, nullptr, &outPointer, &outLeft)  // shift state back
                          : iconv(asIconv(state_), &in, &inLeft, &outPointer, &outLeft);
        const int error = errno;
        flush(outPointer);
        if (result != static_cast<std::size_t>(-1)) {
            if (finishing)
                break;
            continue;  // with last, once more to end the shift state
        }
        if (error == E2BIG)
            continue;
        if (error == EINVAL && !last)
            break;  // an incomplete character waits for the next bytes
        if (finishing)
            break;
        // EILSEQ, or an incomplete character at the very end: one byte
        // becomes U+FFFD and decoding goes on after it.
        out.push_back(kReplacement);
        ++in;
        --inLeft;
        if (error == EINVAL) {
            // Whatever remained of the cut character is part of that one
            // replacement.
            in += inLeft;
            inLeft = 0;
        }
    }
    return bytes.size() - inLeft;
}

std::string localeCharset()
{
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr ? std::string(codeset) : std::string();
}

}  // namespace pelkora::platform
