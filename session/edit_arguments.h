#pragma once
// The words of the commands that edit a written package.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/playlist_edit.h"

namespace pelkora::session {

struct PackageEditArguments {
    std::vector<std::string> names;  // --remove: exact names; --move, --set-time: the one name
    std::vector<std::string> bases;  // --remove --all-of BASE
    std::size_t position = 0;        // --move, from 1
    std::string milliseconds;        // --set-time, --set-time-all: 1 to 9 digits
    output::EntryKind kind = output::EntryKind::Still;  // --set-time-all
};

// Fills arguments from the words of command ("--remove", "--move",
// "--set-time", "--set-time-all"); the error's text, or empty when they fit.
std::string takeEditArguments(std::string_view command, const std::vector<std::string>& words,
                              PackageEditArguments& arguments);

}  // namespace pelkora::session
