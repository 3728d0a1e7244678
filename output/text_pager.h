#pragma once
// Text files become pages of 55 cells (five lines of 11), written as UTF-8
// files "NAME-NN.txt" in the output folder, each with its playlist entry.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/status.h"
#include "output/playlist_appender.h"
#include "output/text_pager_options.h"

namespace pelkora::output {

enum class TextEncoding : int { Missing = -1, Ansi = 0, Utf8 = 1, Utf16LE = 2, Utf16BE = 3 };

struct PagerResult {
    // CantFindFile, CannotRead, EmptyText, CannotWrite (no page could be
    // written), CannotWriteIndex (pages written, an entry missing) or Ok.
    Status status = Status::Ok;
    int pagesWritten = 0;
    int pagesSkipped = 0;    // page files that could not be created
    int entriesMissing = 0;  // written pages whose playlist entry failed
    // An ANSI or UTF-8 text ends at its first zero byte; where that byte
    // lies in the file, so that a caller can say the rest was left out.
    std::optional<std::uint64_t> zeroByteOffset;
    std::error_code cause;  // the system's reason for the first page or entry that failed
};

// Pages the whole text at textPath into workDirectory/adv. The entries go
// through playlist when one is given (the run's, for that same folder),
// else through one opened for this text.
PagerResult pageTextFile(const std::filesystem::path& textPath, const std::filesystem::path& workDirectory,
                         const TextPagerOptions& options = {}, PlaylistAppender* playlist = nullptr);

TextEncoding detectTextEncoding(const std::filesystem::path& path);

// The source's file name less its last four characters; the whole name when
// it has fewer than four or no dot at all. A character is a UTF-8 sequence where the name
// holds one, else a byte.
std::string pageNameOf(const std::filesystem::path& textPath);

// Whether texts can be read in this character set (as the system names
// it); lets the command line reject a wrong name before any work is done. A text paged
// with an unknown set gives CannotRead.
bool isKnownCharset(const std::string& charset);

}  // namespace pelkora::output
