#pragma once
// PNG files of our own making: the pictures the review commands draw, the
// same bytes on every system (one filter, one compression level, zlib's
// deflate), so that a rendered package can be compared file by file.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelkora::output {

enum class PngColour { Grey8, Rgb8 };

// Rows one after the other, unpadded: a byte a pixel for grey, three (red,
// green, blue) for colour.
struct PngPicture {
    int width = 0;
    int height = 0;
    PngColour colour = PngColour::Grey8;
    std::vector<std::uint8_t> samples;
};

// The whole file; nothing for an empty picture, one whose samples do not
// match its size, or one too large for the format.
std::optional<std::string> encodePng(const PngPicture& picture);

}  // namespace pelkora::output
