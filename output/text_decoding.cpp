#include "output/text_decoding.h"

#include "output/ascii.h"
#include "output/utf8.h"

namespace pelkora::output {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isUtf8Name(std::string_view charset)
{
    return equalsIgnoringAsciiCase(charset, "UTF-8") || equalsIgnoringAsciiCase(charset, "UTF8");
}

void appendCodePoint(char32_t codePoint, std::u16string& out)
{
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

}  // namespace

void TextNormaliser::feed(std::string_view piece, std::string& out)
{
    if (ended_)
        return;
    std::size_t i = 0;
    while (i < piece.size()) {
        if (heldCarriageReturn_) {
            heldCarriageReturn_ = false;
            if (piece[i] != '\n')
                out.push_back('\r');
        }
        // Ordinary bytes go over in runs.
        const std::size_t runStart = i;
        while (i < piece.size() && piece[i] != '\0' && piece[i] != '\t' && piece[i] != '\r')
            ++i;
        out.append(piece.substr(runStart, i - runStart));
        if (i == piece.size())
            break;
        switch (piece[i]) {
        case '\0':
            ended_ = true;
            fed_ += i;
            return;
        case '\t':
            out.append("    ");
            break;
        default:
            heldCarriageReturn_ = true;
            break;
        }
        ++i;
    }
    fed_ += piece.size();
}

void TextNormaliser::finish(std::string& out)
{
    if (heldCarriageReturn_)
        out.push_back('\r');
    heldCarriageReturn_ = false;
}

TextDecoder::TextDecoder(std::string_view charset) : utf8_(isUtf8Name(charset))
{
    if (!utf8_)
        system_ = std::make_unique<platform::CharsetDecoder>(charset);
}

TextDecoder::~TextDecoder() = default;

bool TextDecoder::valid() const { return utf8_ || system_->valid(); }

std::size_t TextDecoder::decode(std::string_view bytes, std::u16string& out, bool last)
{
    if (utf8_)
        return decodeUtf8(bytes, out, last);
    // The system's sets hold no U+FFFD of their own: each one is a byte that did not decode.
    const std::size_t before = out.size();
    const std::size_t used = system_->decode(bytes, out, last);
    if (!undecodable_ && out.find(kReplacement, before) != std::u16string::npos)
        undecodable_ = true;
    return used;
}

// Each maximal part of an ill-formed sequence becomes one U+FFFD, the usual
// practice of UTF-8 decoders, so "\xE2\x82" is one replacement and "\xC0\xAF"
// two.
std::size_t TextDecoder::decodeUtf8(std::string_view bytes, std::u16string& out, bool last)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        if (data[i] < 0x80) {
            out.push_back(data[i]);
            ++i;
            continue;
        }
        const Utf8Lead lead = utf8Lead(data[i]);
        if (lead.trailing == 0) {
            out.push_back(kReplacement);
            undecodable_ = true;
            ++i;
            continue;
        }
        char32_t codePoint = data[i] & (0x3F >> lead.trailing);
        std::size_t length = 1;
        bool complete = true;
        for (int k = 0; k < lead.trailing; ++k, ++length) {
            if (i + length >= size) {
                if (!last)
                    return i;  // the rest of this character comes with the next bytes
                complete = false;
                break;
            }
            const unsigned char next = data[i + length];
            const unsigned char low = k == 0 ? lead.low : 0x80;
            const unsigned char high = k == 0 ? lead.high : 0xBF;
            if (next < low || next > high) {
                complete = false;
                break;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (complete) {
            appendCodePoint(codePoint, out);
        } else {
            out.push_back(kReplacement);
            undecodable_ = true;
        }
        i += length;
    }
    return size;
}

std::string ansiCharsetFor(const TextPagerOptions& options)
{
    if (!options.ansiCharset.empty())
        return options.ansiCharset;
    const std::string locale = platform::localeCharset();
    if (locale.empty() || locale == "ANSI_X3.4-1968" || equalsIgnoringAsciiCase(locale, "ASCII")
        || equalsIgnoringAsciiCase(locale, "US-ASCII") || locale == "C" || locale == "POSIX")
        return "UTF-8";
    return std::string(locale);
}

void appendUtf8(std::u16string_view units, std::string& out)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t codePoint = units[i];
        if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00
            && units[i + 1] <= 0xDFFF) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
            codePoint = kReplacement;
        }
        if (codePoint < 0x80) {
            out.push_back(static_cast<char>(codePoint));
        } else if (codePoint < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
            out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        } else if (codePoint < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
            out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
            out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
        }
    }
}

std::u16string decodeText(std::string_view bytes, std::string_view charset)
{
    std::u16string out;
    TextDecoder decoder(charset);
    decoder.decode(bytes, out, true);
    return out;
}

}  // namespace pelkora::output
