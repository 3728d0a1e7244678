#pragma once
// Text files become pages of 55 cells (five lines of 11), written as UTF-8
// files "NAME-NN.txt" in the output folder, each with its playlist entry.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "output/playlist_appender.h"
#include "output/text_pager_options.h"

namespace pelkora::output {

enum class TextEncoding : int { Ansi = 0, Utf8 = 1, Utf16LE = 2, Utf16BE = 3 };

struct PagerResult {
    // CannotRead (the character set is unknown), EmptyText, CannotWrite (no
    // page could be written), CannotWriteIndex (pages written, an entry
    // missing), PagesNotWritten (some pages skipped) or Ok; with the
    // system's reason for the first page or entry that failed.
    Outcome outcome;
    int pagesWritten = 0;
    int pagesSkipped = 0;    // page files that could not be created
    int entriesMissing = 0;  // written pages whose playlist entry failed
    // An ANSI or UTF-8 text ends at its first zero byte; where that byte
    // lies in the file, so that a caller can say the rest was left out.
    std::optional<std::uint64_t> zeroByteOffset;
    // A text without a mark some of whose bytes do not decode in the
    // character set it was read in: that set's name.
    std::optional<std::string> notInCharset;
};

// Pages a whole text, its bytes as its file holds them (see readInput in
// output/input_file.h), into workDirectory/adv under the name textPath
// gives. The entries go through playlist when one is given (the run's, for
// that same folder), else through one opened for this text.
PagerResult pageText(std::string_view text, const std::filesystem::path& textPath,
                     const std::filesystem::path& workDirectory, const TextPagerOptions& options = {},
                     PlaylistAppender* playlist = nullptr);

// By the byte-order mark; what a text shorter than a mark lacks counts as 0.
TextEncoding detectTextEncoding(std::string_view text);

// The source's file name less its last four characters; the whole name when
// it has fewer than four or no dot at all. A character is a UTF-8 sequence where the name
// holds one, else a byte.
std::string pageNameOf(const std::filesystem::path& textPath);

// Whether texts can be read in this character set (as the system names
// it); lets the command line reject a wrong name before any work is done. A text paged
// with an unknown set gives CannotRead.
bool isKnownCharset(const std::string& charset);

}  // namespace pelkora::output
