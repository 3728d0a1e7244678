#pragma once
// Letter case the way names are compared here: ASCII letters only, byte by
// byte, so that multi-byte names keep their bytes and the result never
// depends on the locale.

#include <string>
#include <string_view>

namespace pelkora::output {

inline char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string asciiUpper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = asciiUpper(c);
    return result;
}

inline bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiUpper(a[i]) != asciiUpper(b[i]))
            return false;
    }
    return true;
}

}  // namespace pelkora::output
