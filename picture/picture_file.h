#pragma once
// A picture file read whole into memory, within a size limit, so that a
// file too large to hold is refused before anything is allocated for it.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/status.h"

namespace pelkora::picture {

struct FileBytes {
    Status status = Status::Ok;  // Ok, CantFindFile, FileTooLarge or CannotRead
    std::vector<std::uint8_t> bytes;
};

// Only plain files are read: a pipe or device in a picture's place is never
// waited for.
FileBytes readWholeFile(const std::filesystem::path& path, std::uint64_t largestFile);

}  // namespace pelkora::picture
