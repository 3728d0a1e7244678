#pragma once
// Opening a file of the package for writing. The package's names are ours:
// whatever else sits under one of them (a link pointing out of the folder, a
// pipe, a device) is put aside, so that a write can neither land outside the
// folder nor wait for a reader that never comes.

#include <cstdio>
#include <filesystem>
#include <string_view>

namespace pelkora::output {

enum class OutputMode { Create, Append };

// Create: a new or truncated regular file, as "wb". Append: the regular file
// opened as "ab", created when missing. An entry of that name that is not a
// regular file is removed first (a folder never is: that open fails).
// nullptr when the file cannot be opened.
std::FILE* openOutputFile(const std::filesystem::path& path, OutputMode mode);

// Creates the file with exactly these bytes, in one write. A file that could
// not be written whole is removed again: a page or picture cut short would
// be shown as garbage. False when nothing usable was written.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace pelkora::output
