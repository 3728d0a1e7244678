#pragma once
// Names on their way into the playlist or onto a terminal. A playlist line
// is "NAME,TIME": a line end or comma inside NAME would make a second entry
// or an ambiguous one, and a raw control character on a terminal can move
// the cursor or hide the rest of a message.

#include <optional>
#include <string>
#include <string_view>

namespace pelkora::output {

// The first byte of name that no playlist entry can carry (a control
// character, DEL or a comma), or nothing.
std::optional<char> characterThePlaylistCannotCarry(std::string_view name);

// How a message names such a byte: "a line feed (\n)", "a comma (,)",
// "a control character (\x01)".
std::string describeCharacter(char c);

// The text with every control character and DEL written as an escape
// (\n, \r, \t, else \xNN). Other bytes, UTF-8 included, pass unchanged,
// so text escaped once comes through a second time as it is.
std::string escapedForTerminal(std::string_view text);

}  // namespace pelkora::output
