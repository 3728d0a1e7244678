#pragma once
// The LZW decoder of GIF image data: reads the data sub-block chain of one
// image and writes its colour indices, one byte each, into a buffer the
// caller owns and reuses. The code table and the room for putting an
// interlaced image's rows in place are this object's own (fixed size, about
// 140 KiB), so one decoder serves every frame of a file without allocating.
//
// Minimum code sizes 0 to kMaxMinCodeSize are read; a literal code above 255
// (possible only above 8) fits no colour table and stops the decode as a
// broken image (GifQuirk::BadCodeSize).

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/status.h"

namespace pelkora::gif {

// Above it the first code would not fit the 12 bits codes grow to.
inline constexpr int kMaxMinCodeSize = 11;

// Where the image data lies and where its indices go.
struct LzwInput {
    const std::uint8_t* data = nullptr;
    std::size_t chainOffset = 0;  // the first sub-block's size byte
    std::size_t end = 0;          // no byte at or beyond it is read
    int minCodeSize = 0;
};

struct LzwOutput {
    std::uint8_t* indices = nullptr;  // width x height bytes, top row first
    int width = 0;
    int height = 0;
    bool interlaced = false;  // rows come in the four passes and are put in place
};

// The image row that data row n of an interlaced image of height rows lies
// at; -1 past the last.
int interlacedRowAt(int n, int height);

struct LzwResult {
    // Ok when every pixel was decoded and the data chain ends inside the
    // input; BrokenPicture otherwise.
    Status status = Status::BrokenPicture;
    // Pixels decoded, in the order the data holds them: row by row in pass
    // order for an interlaced image. What the buffer holds beyond them has
    // no meaning (a string may spill past its end before it is overwritten).
    std::size_t pixels = 0;
    // Every pixel decoded, but the chain after them is cut short.
    bool chainUnended = false;
    std::size_t codes = 0;  // read, clear codes included: the measure of the work done
};

class LzwDecoder {
public:
    // Where a code's string was first written in a run of rows (or, for a
    // literal, its byte among the literal bytes), and its length.
    struct Span {
        const std::uint8_t* src;
        std::uint32_t length;
    };

    LzwDecoder();
    LzwResult decode(const LzwInput& input, const LzwOutput& output);

private:
    static constexpr std::size_t kCodes = 4096;
    // Rows in one run: strings are copied from where they were written. One
    // slot more than there are codes, for the entry a full table defines
    // and never keeps.
    std::array<Span, kCodes + 1> spans_{};
    // Each byte value, and room for a 16-byte copy from the last.
    std::array<std::uint8_t, 256 + 16> literalBytes_{};
    // An interlaced image is decoded as one run of rows, in the order the
    // data holds them, and its rows are then moved where they belong.
    void placeInterlacedRows(std::uint8_t* image, int width, int height);
    std::array<std::uint8_t, 65536> rowAside_{};      // one row: widths are 16-bit
    std::array<std::uint64_t, 65536 / 64> placed_{};  // the rows already moved
};

}  // namespace pelkora::gif
