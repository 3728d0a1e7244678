#include "output/names.h"

namespace pelkora::output {

namespace {

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

const char* hexDigits = "0123456789abcdef";

// Appends the escape of one control character.
void appendEscape(unsigned char c, std::string& out)
{
    switch (c) {
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    out += "\\x";
    out += hexDigits[c >> 4];
    out += hexDigits[c & 0xF];
}

}  // namespace

std::optional<char> characterThePlaylistCannotCarry(std::string_view name)
{
    for (const char c : name) {
        if (c == ',' || isControl(static_cast<unsigned char>(c)))
            return c;
    }
    return std::nullopt;
}

std::string describeCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    std::string escaped;
    if (isControl(byte))
        appendEscape(byte, escaped);
    else
        escaped.assign(1, c);
    const char* what = "a control character";
    switch (byte) {
    case '\n':
        what = "a line feed";
        break;
    case '\r':
        what = "a carriage return";
        break;
    case '\t':
        what = "a tab";
        break;
    case ',':
        what = "a comma";
        break;
    default:
        break;
    }
    return std::string(what) + " (" + escaped + ")";
}

std::string escapedForTerminal(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (isControl(byte))
            appendEscape(byte, out);
        else
            out += c;
    }
    return out;
}

}  // namespace pelkora::output
