#pragma once
// Checking a package before it goes onto the device: the playlist line by
// line, the files it names, and the files that no line names. Nothing is
// written; every finding says what is wrong and where.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "output/size.h"

namespace pelkora::output {

// What is wrong, with the offending text or a count as its detail; a
// finding of note severity is worth knowing, but the package is sound for it.
struct Finding {
    Outcome outcome;
    std::string name;      // the file concerned; empty for a line that names none
    std::size_t line = 0;  // 1-based playlist line, 0 when the finding is about a file alone
};

struct PackageCheck {
    bool folderFound = false;
    std::vector<Finding> findings;       // playlist order; then notes; then unnamed files by name
    std::size_t files = 0;               // entries of the folder that are not folders, the playlist aside
    std::size_t lines = 0;               // non-empty playlist lines
    std::uint64_t loopMilliseconds = 0;  // the sum of every well-formed line's time

    bool sound() const;
};

// One playlist line, without its line feed.
struct PlaylistLine {
    bool wellFormed = false;
    std::string name;
    std::uint64_t milliseconds = 0;
};
// NAME,MS: the name is everything before the last comma, not empty and
// without a folder separator; MS is 1 to 9 decimal digits.
PlaylistLine parsePlaylistLine(std::string_view line);

// A text page: Ok, NotUtf8 (detail: the byte offset) or PageTooLong (detail:
// the cells), counting cells as the pager does: one per UTF-16 code unit, a
// line feed filling the rest of its line.
Finding checkPage(std::string_view bytes);

// The cells the page's last unit ends on; -1 for bytes that are not UTF-8.
int pageCells(std::string_view bytes);

// With a screen, a picture larger than it is a warning.
PackageCheck checkPackage(const std::filesystem::path& folder, const std::optional<Size>& screen = std::nullopt);

}  // namespace pelkora::output
