#pragma once
// A picture file read whole into memory, within a size limit, so that a
// file too large to hold is refused before anything is allocated for it.
// The bytes are read into the thread's reused buffer, never mapped (see
// output/input_file.h for why).

#include <cstdint>
#include <filesystem>

#include "core/status.h"
#include "output/input_file.h"

namespace pelkora::picture {

struct FileBytes {
    Status status = Status::Ok;  // Ok, CantFindFile, FileTooLarge or CannotRead
    output::ReadBuffer bytes;
};

// Only plain files are read: a pipe or device in a picture's place is never
// waited for.
FileBytes readWholeFile(const std::filesystem::path& path, std::uint64_t largestFile);

}  // namespace pelkora::picture
