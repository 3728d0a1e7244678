#pragma once
// Reading a DOB file back. The header keeps only the low 8 bits of each
// side, so the size follows from the header and the file's length together:
// below 256 on both sides exactly one size fits; a header that wrapped may
// fit several, and the caller chooses among them.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"
#include "output/size.h"

namespace pelkora::output {

// The largest picture read back: the surface the picture loader accepts
// (256 MiB at four bytes a pixel).
inline constexpr std::uint64_t kMaxDobPixels = std::uint64_t{1} << 26;

// Every size w x h with w = byte0 and h = byte1 modulo 256, both from 1 to
// 65535, and 2 + ceil(w*h/2) == length; ordered by width. At most 256 widths
// are tried, so the work is bounded whatever the length.
std::vector<Size> dobSizeCandidates(std::uint8_t byte0, std::uint8_t byte1, std::uint64_t length);

// Levels 0 (white) to 15 (black), one byte a pixel, top row first.
struct DobPicture {
    Outcome outcome{Status::BadDobLength};  // the sizes that fit, as detail, when none was chosen
    Size size;
    std::vector<Size> candidates;  // every size the bytes fit
    std::vector<std::uint8_t> levels;
};

// Unpacks a whole DOB file. wanted chooses among several candidates (and
// must be one of them); without it the bytes must fit exactly one size.
// BadDobLength: no size fits; DobSizeAmbiguous: several fit and none was
// chosen; DobSizeUnfit: the size wanted is not among them; SurfaceTooLarge:
// more than kMaxDobPixels pixels.
DobPicture decodeDob(const std::uint8_t* data, std::size_t size, std::optional<Size> wanted);

// Reads the file and decodes it; what readInputFile refuses or SurfaceTooLarge
// (a file longer than the largest picture) before decoding.
DobPicture readDobFile(const std::filesystem::path& path, std::optional<Size> wanted);

// The sizes a DOB file can have, from its first two bytes and its length,
// without reading the pixels. Ok, what readInputFile refuses (with the
// system's cause), or BadDobLength (with the length as detail).
struct DobShape {
    Outcome outcome{Status::CantFindFile};
    std::uint64_t length = 0;
    std::vector<Size> candidates;
};
DobShape inspectDobFile(const std::filesystem::path& path);

// "64x64 or 65x63": the sizes a DOB file could have.
std::string candidatesText(const std::vector<Size>& sizes);

// The pixel area's nibbles in file order as levels, count of them at most;
// the one place that knows the packing.
void unpackLevels(const std::uint8_t* pixels, std::uint64_t count, std::uint8_t* levels);

}  // namespace pelkora::output
