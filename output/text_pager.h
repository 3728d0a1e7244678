#pragma once
// Text files become pages of 55 cells (five lines of 11), written as UTF-8
// files "NAME-NN.txt" in the output folder, each with its playlist entry.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "output/status.h"

namespace pelkora::output {

enum class TextEncoding : int { Missing = -1, Ansi = 0, Utf8 = 1, Utf16LE = 2 };

struct TextPagerOptions {
    // Character set for texts without a byte-order mark (an iconv name such
    // as "CP1252" or "GBK"); empty means the locale's, UTF-8 in C/POSIX.
    std::string ansiCharset;
};

struct PagerResult {
    Status status = Status::Ok;  // CantFindFile, CannotRead, EmptyText, CannotWrite or Ok
    int pagesWritten = 0;
    int pagesSkipped = 0;        // page files that could not be created
};

// Pages the whole text at textPath into workDirectory/adv.
PagerResult pageTextFile(const std::filesystem::path& textPath,
                         const std::filesystem::path& workDirectory,
                         const TextPagerOptions& options = {});

TextEncoding detectTextEncoding(const std::filesystem::path& path);

// The source's file name less its last four characters; the whole name when
// it has fewer than four.
std::string pageNameOf(const std::filesystem::path& textPath);

}  // namespace pelkora::output
