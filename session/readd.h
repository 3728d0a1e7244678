#pragma once
// What an Add does to the entries a file had from an earlier Add: by
// default its new entries are appended and the earlier lines that still
// name files of the earlier conversion are warned of; asked to replace, the
// new entries take the earlier ones' place and the files no line names any
// more go. Every front end's Add goes through these two steps.

#include <cstddef>
#include <filesystem>

#include "session/conversion.h"

namespace pelkora::session {

// Taken before the Add: how many entries the playlist had.
struct PlaylistMark {
    bool known = false;
    std::size_t entries = 0;
};
PlaylistMark markPlaylist(const std::filesystem::path& outputFolder);

// After the Add has written everything, while its lock is still held.
void settleAdd(const std::filesystem::path& outputFolder, const PlaylistMark& mark, bool replace,
               ConversionReport& report);

}  // namespace pelkora::session
