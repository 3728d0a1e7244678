#include "gif/lzw_decoder.h"

#include <algorithm>
#include <cstring>

namespace pelkora::gif {

namespace {

constexpr unsigned kMaxCodes = 4096;
constexpr int kMaxWidth = 12;

// Where the bit reader stands: kept in the hot loop's registers, and handed
// to the chain only when a sub-block runs low.
struct BitCursor {
    const std::uint8_t* at;         // next data byte of the current sub-block
    const std::uint8_t* wordLimit;  // below it, 8 bytes of the sub-block lie ahead
    std::uint64_t bits;
    int held;
};

// Tops up a cursor with one 8-byte load while the sub-block has 8 bytes
// ahead. The bits above the count are the next byte's, which every later
// top-up ORs in again at the same place.
inline void fillWord(BitCursor& c)
{
    std::uint64_t word = 0;
    std::memcpy(&word, c.at, 8);
    c.bits |= word << c.held;
    c.at += 7 - (c.held >> 3);
    c.held |= 56;
}

// The bits of a data sub-block chain, least significant first, read ahead
// into a 64-bit word. A sub-block counts only when all its bytes are inside
// the input: the codes of a cut-off last block are not there.
class ChainBits {
public:
    ChainBits(const std::uint8_t* data, std::size_t chainOffset, std::size_t end)
            : data_(data), blockEnd_(chainOffset), end_(end)
    {
        cursor_ = BitCursor{data + chainOffset, data + chainOffset, 0, 0};
    }

    BitCursor cursor() const { return cursor_; }

    // At least width bits held, reading more if the chain has them.
    bool has(int width)
    {
        if (cursor_.held < width)
            cursor_ = refill(cursor_);
        return cursor_.held >= width;
    }

    unsigned take(int width)
    {
        const unsigned code = static_cast<unsigned>(cursor_.bits) & ((1u << width) - 1);
        cursor_.bits >>= width;
        cursor_.held -= width;
        return code;
    }

    // The cursor topped up across sub-block ends, byte by byte where fewer
    // than 8 are left in the block.
    BitCursor refill(BitCursor c)
    {
        while (c.held <= 56) {
            if (c.at < c.wordLimit) {
                fillWord(c);
                break;
            }
            if (c.at == data_ + blockEnd_) {
                if (!nextBlock())
                    break;
                c.at = data_ + blockEnd_ - blockLength_;
                c.wordLimit = blockLength_ >= 8 ? data_ + blockEnd_ - 7 : c.at;
                continue;
            }
            c.bits |= static_cast<std::uint64_t>(*c.at++) << c.held;
            c.held += 8;
        }
        return c;
    }

    // True when the chain's terminator lies inside the input, looked for
    // after the sub-block being read.
    bool endsInside() const
    {
        if (state_ == State::Ended)
            return true;
        if (state_ == State::Short)
            return false;
        std::size_t p = blockEnd_;
        while (p < end_) {
            const std::size_t n = data_[p];
            if (n == 0)
                return true;
            if (n >= end_ - p)
                return false;
            p += n + 1;
        }
        return false;
    }

private:
    enum class State { Open, Ended, Short };

    bool nextBlock()
    {
        if (state_ != State::Open)
            return false;
        if (blockEnd_ >= end_) {
            state_ = State::Short;
            return false;
        }
        const std::size_t n = data_[blockEnd_];
        if (n == 0) {
            state_ = State::Ended;
            return false;
        }
        if (n >= end_ - blockEnd_) {
            state_ = State::Short;
            return false;
        }
        blockLength_ = n;
        blockEnd_ += 1 + n;
        return true;
    }

    const std::uint8_t* data_;
    std::size_t blockEnd_;  // end of the current sub-block: the next size byte
    std::size_t blockLength_ = 0;
    std::size_t end_;
    BitCursor cursor_;
    State state_ = State::Open;
};

}  // namespace

// The four passes take every 8th row from 0, every 8th from 4, every 4th
// from 2 and every 2nd from 1.
int interlacedRowAt(int n, int height)
{
    if (n < 0 || n >= height)
        return -1;
    const int pass1 = (height + 7) / 8;
    const int pass2 = (height + 3) / 8;
    const int pass3 = (height + 1) / 4;
    if (n < pass1)
        return n * 8;
    n -= pass1;
    if (n < pass2)
        return 4 + n * 8;
    n -= pass2;
    if (n < pass3)
        return 2 + n * 4;
    return 1 + (n - pass3) * 2;
}

LzwDecoder::LzwDecoder()
{
    for (std::size_t i = 0; i < literalBytes_.size(); ++i)
        literalBytes_[i] = static_cast<std::uint8_t>(i);
}

namespace {

// Sixteen bytes loaded whole, then stored: the source may run into the
// destination (its tail is spill either way).
inline void move16(std::uint8_t* dst, const std::uint8_t* src)
{
    std::uint8_t chunk[16];
    std::memcpy(chunk, src, 16);
    std::memcpy(dst, chunk, 16);
}

// Copies a string that lies wholly before dst (or in the literal bytes);
// with room for it, in whole 16-byte moves whose spill past the string is
// overwritten later.
inline void copyString(std::uint8_t* dst, const std::uint8_t* src, std::size_t length, std::size_t room)
{
    if (length <= 16 && room >= 16) {
        move16(dst, src);
        return;
    }
    if (((length + 15) & ~std::size_t{15}) <= room) {
        for (std::size_t i = 0; i < length; i += 16)
            move16(dst + i, src + i);
        return;
    }
    // A string being defined overlaps its destination by its last byte.
    std::memmove(dst, src, length);
}

// Where a linear decode stands between codes.
struct LinearState {
    std::uint8_t* out;
    std::size_t count;
    std::size_t pos = 0;
    std::size_t codes = 0;
    int width = 0;
    unsigned mask = 0;
    unsigned next = 0;
    const std::uint8_t* previous = nullptr;  // the last string's place in the rows
    std::uint32_t previousLength = 0;
};

// Puts a string of length at pos when it does not fit the fast path: near
// the end of the rows or longer than one move. False when it reached the
// last pixel (cut there if it runs past it).
inline bool putString(LinearState& s, const std::uint8_t* src, std::uint32_t length, bool beingDefined)
{
    const std::size_t room = s.count - s.pos;
    if (length > room) {
        // The last string runs past the image: its head fills the rest. A
        // string being defined is cut before its last byte, the only one
        // the copy cannot give.
        std::memcpy(s.out + s.pos, src, room);
        s.pos = s.count;
        return false;
    }
    copyString(s.out + s.pos, src, length, room);
    // The string being defined ends with its own first byte, which the
    // copy read before it was written.
    if (beingDefined)
        s.out[s.pos + length - 1] = *src;
    s.previous = s.out + s.pos;
    s.previousLength = length;
    s.pos += length;
    return s.pos < s.count;
}

// The rows in one run of memory, so every string a code stands for has
// been written before, all in one piece: a code's entry is where its string
// was first written (a literal's: the literal bytes) and how long it is, and
// decoding it is one copy. Clear, end and unusable literal codes have length
// 0 and leave the one common path; so do the first code after a clear
// (which defines nothing), the code being defined, and strings that are
// long or near the image's end.
LzwResult runLinear(LzwDecoder::Span* span, ChainBits& chain, std::uint8_t* out, std::size_t count, int minCodeSize)
{
    const unsigned clear = 1u << minCodeSize;
    const unsigned literals = std::min(clear, 256u);
    // Below it a string of up to 16 bytes is one move that stays inside
    // the rows and leaves at least one pixel after it.
    const std::size_t fastEnd = count > 16 ? count - 16 : 0;
    LinearState s{out, count};
    BitCursor c = chain.cursor();
    bool fresh = true;
    s.width = minCodeSize + 1;
    s.mask = (1u << s.width) - 1;
    s.next = clear + 2;

    const auto widen = [&s] {
        if (s.next > s.mask && s.width < kMaxWidth) {
            ++s.width;
            s.mask = (1u << s.width) - 1;
        }
    };

    for (;;) {
        if (fresh) {
            // The first code after a clear (or of the data): a literal, or
            // another clear.
            if (c.held < s.width) {
                c = chain.refill(c);
                if (c.held < s.width)
                    break;  // the data ends before the image does
            }
            const unsigned code = static_cast<unsigned>(c.bits) & s.mask;
            c.bits >>= s.width;
            c.held -= s.width;
            ++s.codes;
            if (code == clear) {
                s.width = minCodeSize + 1;
                s.mask = (1u << s.width) - 1;
                s.next = clear + 2;
                continue;
            }
            if (code >= literals)
                break;  // the end code, a code not yet defined, or a literal above a byte
            fresh = false;
            const bool more = putString(s, span[code].src, 1, false);
            widen();
            if (!more)
                break;
            continue;
        }

        // Locals for the hot loop, so that they stay in registers. It
        // leaves with the code read and its entry defined, or having grown
        // the table to a new width.
        enum class Exit { Slow, Widen, RunOut };
        std::size_t pos = s.pos;
        std::size_t codes = s.codes;
        unsigned next = s.next;
        const unsigned mask = s.mask;
        const int width = s.width;
        const unsigned widenAt = width < kMaxWidth ? mask + 1 : kMaxCodes + 1;
        const std::uint8_t* previous = s.previous;
        std::uint32_t previousLength = s.previousLength;
        unsigned code = 0;
        Exit exit = Exit::Slow;
        for (;;) {
            if (c.held < width) {
                if (c.at < c.wordLimit) {
                    fillWord(c);
                } else {
                    c = chain.refill(c);
                    if (c.held < width) {
                        exit = Exit::RunOut;
                        break;
                    }
                }
            }
            code = static_cast<unsigned>(c.bits) & mask;
            c.bits >>= width;
            c.held -= width;
            ++codes;
            // The entry the previous string and this one's first byte
            // define; into the spare slot when the table is full.
            span[next] = LzwDecoder::Span{previous, previousLength + 1};
            if (code >= next)
                break;  // the code being defined, or one not yet defined
            const LzwDecoder::Span string = span[code];
            // Clear, end and unusable literals (length 0), long strings,
            // and the image's end go the slow way.
            if (string.length - 1 >= 16 || pos >= fastEnd)
                break;
            move16(out + pos, string.src);
            previous = out + pos;
            previousLength = string.length;
            pos += string.length;
            if (next < kMaxCodes)
                ++next;
            if (next == widenAt) {
                exit = Exit::Widen;
                break;
            }
        }
        s.pos = pos;
        s.codes = codes;
        s.next = next;
        s.previous = previous;
        s.previousLength = previousLength;
        if (exit == Exit::RunOut)
            break;  // the data ends before the image does
        if (exit == Exit::Widen) {
            widen();
            continue;
        }

        bool more = false;
        if (code > s.next) {
            break;  // a code not yet defined
        } else if (code == s.next) {
            // The string being defined: the previous one and its own first byte.
            more = putString(s, s.previous, s.previousLength + 1, true);
            ++s.next;
        } else {
            const LzwDecoder::Span string = span[code];
            if (string.length == 0) {
                if (code != clear)
                    break;  // the end code before the last pixel, or a literal above a byte
                s.width = minCodeSize + 1;
                s.mask = (1u << s.width) - 1;
                s.next = clear + 2;
                fresh = true;
                continue;
            }
            more = putString(s, string.src, string.length, false);
            if (s.next < kMaxCodes)
                ++s.next;
        }
        widen();
        if (!more)
            break;
    }
    LzwResult result;
    result.pixels = s.pos;
    result.codes = s.codes;
    if (s.pos == count) {
        result.chainUnended = !chain.endsInside();
        result.status = result.chainUnended ? Status::BrokenPicture : Status::Ok;
    }
    return result;
}

}  // namespace

LzwResult LzwDecoder::decode(const LzwInput& input, const LzwOutput& output)
{
    LzwResult result;
    if (input.data == nullptr || output.indices == nullptr || input.minCodeSize < 0
        || input.minCodeSize > kMaxMinCodeSize || output.width <= 0 || output.height <= 0)
        return result;
    const unsigned clear = 1u << input.minCodeSize;
    ChainBits bits(input.data, input.chainOffset, input.end);
    for (unsigned i = 0; i < clear + 2; ++i)
        spans_[i] = Span{literalBytes_.data() + (i & 0xFF), i < 256 && i < clear ? 1u : 0u};
    const std::size_t count = static_cast<std::size_t>(output.width) * static_cast<std::size_t>(output.height);
    result = runLinear(spans_.data(), bits, output.indices, count, input.minCodeSize);
    if (output.interlaced)
        placeInterlacedRows(output.indices, output.width, output.height);
    return result;
}

// Data row n belongs at image row interlacedRowAt(n): a permutation, followed
// cycle by cycle with one row aside. Rows past what was decoded move too;
// they hold nothing that counts.
void LzwDecoder::placeInterlacedRows(std::uint8_t* image, int width, int height)
{
    const auto rowBytes = static_cast<std::size_t>(width);
    std::fill_n(placed_.begin(), (static_cast<std::size_t>(height) + 63) / 64, std::uint64_t{0});
    auto row = [&](int y) { return image + static_cast<std::size_t>(y) * rowBytes; };
    auto isPlaced = [&](int y) { return (placed_[static_cast<std::size_t>(y) / 64] >> (y % 64)) & 1; };
    auto place = [&](int y) { placed_[static_cast<std::size_t>(y) / 64] |= std::uint64_t{1} << (y % 64); };
    for (int start = 0; start < height; ++start) {
        if (isPlaced(start))
            continue;
        // The row in hand goes where it belongs, and the one found there
        // is taken up in its turn, until the cycle closes at its start.
        std::memcpy(rowAside_.data(), row(start), rowBytes);
        for (int y = interlacedRowAt(start, height); y != start; y = interlacedRowAt(y, height)) {
            std::swap_ranges(rowAside_.data(), rowAside_.data() + rowBytes, row(y));
            place(y);
        }
        std::memcpy(row(start), rowAside_.data(), rowBytes);
        place(start);
    }
}

}  // namespace pelkora::gif
