#include "session/edit_arguments.h"

#include <algorithm>

namespace pelkora::session {

namespace {

bool isDigits(const std::string& word, std::size_t most)
{
    return !word.empty() && word.size() <= most
           && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string timeError(const std::string& command, const std::string& word)
{
    return command + ": a display time is 1 to 9 digits of milliseconds, not '" + word + "'";
}

}  // namespace

std::string takeEditArguments(std::string_view commandName, const std::vector<std::string>& words,
                              PackageEditArguments& arguments)
{
    const std::string command(commandName);
    if (command == "--remove") {
        if (words.empty() && arguments.bases.empty())
            return "--remove needs a NAME or --all-of BASE";
        arguments.names = words;
        return {};
    }
    if (words.size() != 2) {
        return command
               + (command == "--move" ? " takes NAME POSITION" : command == "--set-time" ? " takes NAME MS" : " takes KIND MS");
    }
    if (command == "--move") {
        // Nine digits at most: a position beyond any playlist is refused
        // by the edit, never read as a huge number.
        if (!isDigits(words[1], 9) || std::stoul(words[1]) == 0)
            return "--move: a position counts from 1, not '" + words[1] + "'";
        arguments.names = {words[0]};
        arguments.position = std::stoul(words[1]);
        return {};
    }
    if (!isDigits(words[1], 9))
        return timeError(command, words[1]);
    arguments.milliseconds = words[1];
    if (command == "--set-time") {
        arguments.names = {words[0]};
        return {};
    }
    if (!output::parseEntryKind(words[0], arguments.kind))
        return "--set-time-all: KIND is still, frame, last-frame or text, not '" + words[0] + "'";
    return {};
}

}  // namespace pelkora::session
