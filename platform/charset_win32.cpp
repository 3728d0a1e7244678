#include "platform/charset.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <climits>

namespace pelkora::platform {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The names texts use for the sets Windows has a code page for.
struct NamedCodePage {
    std::string_view name;  // upper case
    UINT codePage;
};

constexpr NamedCodePage kNamedCodePages[] = {
        {"GBK", 936},          {"GB2312", 936},      {"EUC-CN", 936},      {"SHIFT_JIS", 932},
        {"SHIFT-JIS", 932},    {"SJIS", 932},        {"BIG5", 950},        {"BIG-5", 950},
        {"EUC-KR", 949},       {"UHC", 949},         {"KOI8-R", 20866},    {"KOI8-U", 21866},
        {"ASCII", 20127},      {"US-ASCII", 20127},  {"ISO-8859-1", 28591}, {"LATIN1", 28591},
        {"ISO-8859-2", 28592}, {"ISO-8859-3", 28593}, {"ISO-8859-4", 28594}, {"ISO-8859-5", 28595},
        {"ISO-8859-6", 28596}, {"ISO-8859-7", 28597}, {"ISO-8859-8", 28598}, {"ISO-8859-9", 28599},
        {"ISO-8859-13", 28603}, {"ISO-8859-15", 28605},
};

// "CP1252", "WINDOWS-1252", "IBM850": the number is the code page.
UINT numberedCodePage(std::string_view upper)
{
    for (const std::string_view prefix : {"CP", "WINDOWS-", "IBM", "MS"}) {
        if (upper.substr(0, prefix.size()) != prefix || upper.size() == prefix.size() || upper.size() > prefix.size() + 5)
            continue;
        UINT number = 0;
        for (const char c : upper.substr(prefix.size())) {
            if (c < '0' || c > '9')
                return 0;
            number = number * 10 + static_cast<UINT>(c - '0');
        }
        return number;
    }
    return 0;
}

// Only sets of one or two bytes a character are decoded piece by piece
// here; the others (UTF-7, GB18030, ...) are not supported on this system.
UINT codePageFor(std::string_view charset)
{
    std::string upper(charset);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    UINT codePage = numberedCodePage(upper);
    for (const NamedCodePage& named : kNamedCodePages)
        if (named.name == upper)
            codePage = named.codePage;
    CPINFO info{};
    if (codePage == 0 || !IsValidCodePage(codePage) || !GetCPInfo(codePage, &info) || info.MaxCharSize > 2)
        return 0;
    return codePage;
}

bool isLeadByte(UINT codePage, char byte) { return IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != 0; }

// The code units of bytes that hold whole characters only; false when
// one of them does not decode.
bool convert(UINT codePage, std::string_view bytes, std::u16string& out)
{
    if (bytes.empty())
        return true;
    if (bytes.size() > INT_MAX / 2)
        return false;
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return false;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(size));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, reinterpret_cast<wchar_t*>(&out[start]),
                        size);
    return true;
}

}  // namespace

CharsetDecoder::CharsetDecoder(std::string_view charset) : state_(codePageFor(charset)) {}

CharsetDecoder::~CharsetDecoder() = default;

std::size_t CharsetDecoder::decode(std::string_view bytes, std::u16string& out, bool last)
{
    if (!valid())
        return bytes.size();
    const auto codePage = static_cast<UINT>(state_);
    // Where the whole characters end: a lead byte at the very end waits for
    // the next bytes, or with last becomes one U+FFFD.
    std::size_t whole = 0;
    while (whole < bytes.size()) {
        const std::size_t length = isLeadByte(codePage, bytes[whole]) ? 2 : 1;
        if (whole + length > bytes.size())
            break;
        whole += length;
    }
    // Most pieces decode at once; one with a bad byte goes a character at a
    // time, the bad byte becoming U+FFFD and decoding going on after it.
    if (!convert(codePage, bytes.substr(0, whole), out)) {
        for (std::size_t at = 0; at < whole;) {
            const std::size_t length = isLeadByte(codePage, bytes[at]) ? 2 : 1;
            if (convert(codePage, bytes.substr(at, length), out)) {
                at += length;
            } else {
                out.push_back(kReplacement);
                ++at;
            }
        }
    }
    if (whole == bytes.size() || !last)
        return whole;
    out.push_back(kReplacement);
    return bytes.size();
}

std::string localeCharset()
{
    const UINT codePage = GetACP();
    return codePage == CP_UTF8 ? std::string("UTF-8") : "CP" + std::to_string(codePage);
}

}  // namespace pelkora::platform
