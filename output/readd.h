#pragma once
// A file added again: its new entries take the place of its earlier ones,
// or, when they are only appended, the earlier lines that still name files
// of the earlier conversion are found. A conversion writes pages or frames
// 01 to NN over the same names, so after a shorter one the earlier set's
// higher numbers still name the earlier file's pages.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "output/package_check.h"
#include "output/playlist_edit.h"

namespace pelkora::output {

// What ties the entries of one converted file together: "BASE" and the
// extension for "BASE.dob", "BASE-NN.dob" and "BASE-NN.txt"; the name
// itself for anything else.
std::string entryFamily(const PlaylistEntry& entry);

// Entries of families with several sets 01, 02, ... whose number lies
// beyond the length of the family's last set.
std::vector<std::size_t> staleEntries(const Playlist& playlist);

// The entries from index entriesBefore on were just added: those of a family
// named before take the place of the earlier entries of that family, which
// go. Files that no line names then are the caller's to remove.
void replaceEarlierEntries(Playlist& playlist, std::size_t entriesBefore);

// The 1-based line of the playlist's text on which entry index stands.
std::size_t lineOfEntry(const Playlist& playlist, std::size_t index);

// A StaleEntry finding for each stale line of the playlist's text.
std::vector<Finding> staleEntryFindings(std::string_view playlistText);

}  // namespace pelkora::output
