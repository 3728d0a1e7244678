#pragma once
// Writing the files of the package. The package's names are ours: whatever
// else sits under one of them (a link pointing out of the folder, a hard
// link shared with a file elsewhere, a pipe, a device) is replaced, never
// written through, so that a write can neither land outside the folder nor
// wait for a reader that never comes.
//
// A file is written whole without a name (where the system has unnamed
// files), or else under a temporary name beside its own, and renamed into
// place when complete: a run killed at any moment leaves no empty or
// partial file under a package name, at most a temporary one that the next
// run removes.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/status.h"
#include "platform/files.h"
#include "platform/folder.h"

namespace pelkora::output {

// The names unfinished files carry: this prefix and six letters or digits.
inline constexpr std::string_view kTemporaryPrefix = ".pelkora-tmp-";
inline constexpr std::size_t kTemporarySuffixLength = 6;

using OutputMode = platform::WriteMode;

// Create: a new or truncated regular file, as "wb". Append: the regular file
// opened as "ab", created when missing. An entry of that name that is not a
// regular file is removed first (a folder never is: that open fails).
// nullptr when the file cannot be opened.
std::FILE* openOutputFile(const std::filesystem::path& path, OutputMode mode);

// Creates the file with exactly these bytes: written under a temporary name
// in the same folder, then renamed over whatever had the name. CannotWrite,
// with the system's reason, when the file is not in place; no temporary
// file is left then.
Outcome writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

// A folder held open while many files are written into it: each one is
// then created and renamed by its name alone, with the same rules as
// writeWholeFile, without the whole path being looked up again for each.
// One writer per thread: it keeps the temporary name it last used.
class FolderWriter {
public:
    explicit FolderWriter(const std::filesystem::path& folder);
    ~FolderWriter();
    FolderWriter(const FolderWriter&) = delete;
    FolderWriter& operator=(const FolderWriter&) = delete;

    // writeWholeFile for folder/name; name is a plain file name in UTF-8.
    Outcome writeWholeFile(std::string_view name, std::string_view bytes);

private:
    std::string prefix_;  // the folder in UTF-8, ending in a separator
    std::string name_;
    std::string temporary_;  // the last temporary name, free again once renamed away
    platform::Folder folder_;
};

// Replaces the regular file at path by a copy of itself with tail added, by
// the same temporary name and rename: how a file that shares its data with
// another name (a hard link) is appended to without changing the other.
// CannotWrite, with the system's reason, when the copy is not in place.
Outcome rewriteWithTail(const std::filesystem::path& path, std::string_view tail);

// Whether a file name is one of the temporary names above.
bool isTemporaryName(std::string_view fileName);

// Deletes the temporary files directly in folder (nothing else, nothing
// deeper): what a killed run left. Call it only while no other writer can be
// writing the folder. The number removed.
int removeLeftoverTemporaries(const std::filesystem::path& folder);

}  // namespace pelkora::output
