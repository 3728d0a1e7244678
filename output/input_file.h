#pragma once
// Reading a file of the package back, bounded: only a regular file is
// opened (a pipe could keep the read waiting forever), and no more than the
// caller's limit is ever held.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/status.h"

namespace pelkora::output {

struct InputBytes {
    Status status = Status::CantFindFile;  // Ok, CantFindFile or CannotRead
    std::vector<std::uint8_t> bytes;       // at most limit bytes
    bool truncated = false;                // the file holds more than limit bytes
};

InputBytes readInputFile(const std::filesystem::path& path, std::uint64_t limit);

}  // namespace pelkora::output
