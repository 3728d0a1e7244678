#pragma once
// What a playlist entry is, as the device plays it, and what is wrong with
// its file: the words of `--list` and of the dialog's package window.

#include <filesystem>
#include <string>

#include "output/playlist_edit.h"

namespace pelkora::session {

struct EntryDescription {
    std::string kind;   // "picture 64x32", "frame 2 of 5 64x32", "text page", "other"; empty when unreadable
    std::string fault;  // "missing", "damaged: ..."; empty for a sound file
};

EntryDescription describeEntry(const std::filesystem::path& folder, const output::PlaylistEntry& entry,
                               const output::EntryRole& role);

}  // namespace pelkora::session
