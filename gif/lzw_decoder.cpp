#include "gif/lzw_decoder.h"

#include <algorithm>
#include <cstring>

namespace pelkora::gif {

namespace {

constexpr unsigned kMaxCodes = 4096;
constexpr int kMaxWidth = 12;
constexpr int kMaxMinCodeSize = 11;

// The bits of a data sub-block chain, least significant first, read ahead
// into a 64-bit word. A sub-block counts only when all its bytes are inside
// the input: the codes of a cut-off last block are not there.
class ChainBits {
public:
    ChainBits(const std::uint8_t* data, std::size_t chainOffset, std::size_t end)
        : data_(data), next_(chainOffset), blockEnd_(chainOffset), end_(end)
    {
    }

    // At least width bits held, reading more if the chain has them.
    bool has(int width)
    {
        if (count_ < width)
            refill(bits_, count_);
        return count_ >= width;
    }

    unsigned take(int width)
    {
        const unsigned code = static_cast<unsigned>(bits_) & ((1u << width) - 1);
        bits_ >>= width;
        count_ -= width;
        return code;
    }

    // Tops up a bit word the caller holds (in registers, in the hot loop)
    // with whole bytes while it has room for them.
    void refill(std::uint64_t& bits, int& count)
    {
        while (count < 56) {
            if (next_ == blockEnd_ && !nextBlock())
                return;
            if (blockEnd_ - next_ >= 8) {
                std::uint64_t word = 0;
                std::memcpy(&word, data_ + next_, 8);
                const int bytes = (63 - count) >> 3;
                bits |= (word << count) & ((std::uint64_t{1} << (count + 8 * bytes)) - 1);
                next_ += static_cast<std::size_t>(bytes);
                count += 8 * bytes;
                continue;
            }
            bits |= static_cast<std::uint64_t>(data_[next_++]) << count;
            count += 8;
        }
    }

    // True when the chain's terminator lies inside the input, looked for
    // after the sub-block being read.
    bool endsInside()
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
        next_ = blockEnd_ + 1;
        blockEnd_ = next_ + n;
        return true;
    }

    const std::uint8_t* data_;
    std::size_t next_;      // next data byte of the current sub-block
    std::size_t blockEnd_;  // end of the current sub-block: the next size byte
    std::size_t end_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    State state_ = State::Open;
};

// Rows of the four interlace passes: every 8th from 0, every 8th from 4,
// every 4th from 2, every 2nd from 1.
class InterlacedRows {
public:
    InterlacedRows(std::uint8_t* out, int width, int height) : out_(out), width_(width), height_(height)
    {
        count_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        startPass();
    }

    std::size_t written() const { return pos_; }
    bool full() const { return pos_ == count_; }
    std::size_t room() const { return count_ - pos_; }
    void put(const std::uint8_t* string, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            row_[x_] = string[i];
            if (++x_ == width_)
                nextRow();
        }
        pos_ += n;
    }

private:
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};

    void startPass()
    {
        while (pass_ < 4 && kStart[pass_] >= height_)
            ++pass_;
        y_ = pass_ < 4 ? kStart[pass_] : 0;
        row_ = out_ + static_cast<std::size_t>(y_) * static_cast<std::size_t>(width_);
    }

    void nextRow()
    {
        x_ = 0;
        y_ += kStep[pass_];
        if (y_ >= height_) {
            ++pass_;
            startPass();
            return;
        }
        row_ = out_ + static_cast<std::size_t>(y_) * static_cast<std::size_t>(width_);
    }

    std::uint8_t* out_;
    int width_;
    int height_;
    std::size_t count_ = 0;
    std::size_t pos_ = 0;
    int pass_ = 0;
    int y_ = 0;
    int x_ = 0;
    std::uint8_t* row_ = nullptr;
};

}  // namespace

LzwDecoder::LzwDecoder()
{
    for (std::size_t i = 0; i < literalBytes_.size(); ++i)
        literalBytes_[i] = static_cast<std::uint8_t>(i);
}

namespace {

struct Tables {
    std::uint16_t* prefix;
    std::uint16_t* length;
    std::uint8_t* suffix;
    std::uint8_t* first;
};

// Writes the string of code backwards from its last byte, so that one walk
// down the prefix chain puts it in place.
inline void writeBackwards(const Tables& t, unsigned code, std::uint8_t* end, unsigned length)
{
    std::uint8_t* p = end;
    do {
        *--p = t.suffix[code];
        code = t.prefix[code];
    } while (--length != 0);
}

// Interlaced rows are not one run of memory, so strings are walked back
// through the prefix table into a scratch string and put row by row.
LzwResult runInterlaced(const Tables& t, ChainBits& bits, InterlacedRows& rows, int minCodeSize)
{
    const unsigned clear = 1u << minCodeSize;
    const unsigned endCode = clear + 1;
    int width = minCodeSize + 1;
    unsigned next = clear + 2;
    unsigned previous = kMaxCodes;  // none: the first code after a clear
    std::uint8_t scratch[kMaxCodes];

    LzwResult result;
    std::size_t codes = 0;
    while (!rows.full()) {
        if (!bits.has(width))
            break;  // the data ends before the image does
        const unsigned code = bits.take(width);
        ++codes;
        if (code == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            previous = kMaxCodes;
            continue;
        }
        unsigned length = 0;
        if (code < next && code != endCode) {
            length = t.length[code];
            if (length == 0)
                break;  // a literal no colour table holds
            if (previous != kMaxCodes && next < kMaxCodes) {
                t.prefix[next] = static_cast<std::uint16_t>(previous);
                t.first[next] = t.first[previous];
                t.suffix[next] = t.first[code];
                t.length[next] = static_cast<std::uint16_t>(t.length[previous] + 1);
                ++next;
            }
        } else if (code == next && previous != kMaxCodes && next < kMaxCodes) {
            // The string just being defined: the previous one and its own first byte.
            t.prefix[next] = static_cast<std::uint16_t>(previous);
            t.first[next] = t.first[previous];
            t.suffix[next] = t.first[previous];
            t.length[next] = static_cast<std::uint16_t>(t.length[previous] + 1);
            length = t.length[next];
            ++next;
        } else {
            break;  // the end code before the last pixel, or a code not yet defined
        }
        writeBackwards(t, code, scratch + length, length);
        // The last string may run past the image: its head fills the rest.
        rows.put(scratch, std::min<std::size_t>(length, rows.room()));
        previous = code;
        if (next >= (1u << width) && width < kMaxWidth)
            ++width;
    }
    result.pixels = rows.written();
    result.codes = codes;
    if (rows.full()) {
        result.chainUnended = !bits.endsInside();
        result.status = result.chainUnended ? Status::BrokenPicture : Status::Ok;
    }
    return result;
}

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

// The rows in one run of memory, so every string a code stands for has
// been written before, all in one piece: a code's entry is where its string
// was first written (a literal's: the literal bytes) and how long it is, and
// decoding it is one copy. Clear, end and unusable literal codes have length
// 0 and leave the one common path.
LzwResult runLinear(LzwDecoder::Span* span, ChainBits& chain, std::uint8_t* out, std::size_t count, int minCodeSize)
{
    const unsigned clear = 1u << minCodeSize;
    int width = minCodeSize + 1;
    unsigned mask = (1u << width) - 1;
    unsigned next = clear + 2;
    bool fresh = true;  // the first code after a clear defines nothing
    const std::uint8_t* previous = out;
    std::uint32_t previousLength = 0;
    std::size_t pos = 0;
    std::size_t codes = 0;
    std::uint64_t bits = 0;
    int held = 0;

    LzwResult result;
    while (pos < count) {
        if (held < width) {
            chain.refill(bits, held);
            if (held < width)
                break;  // the data ends before the image does
        }
        const unsigned code = static_cast<unsigned>(bits) & mask;
        bits >>= width;
        held -= width;
        ++codes;
        if (code >= next && (code > next || fresh || next == kMaxCodes))
            break;  // a code not yet defined
        // The entry the previous string and this one's first byte define;
        // written even when nothing is defined, into a slot still free.
        span[next] = LzwDecoder::Span{previous, previousLength + 1};
        const LzwDecoder::Span string = span[code];
        if (string.length == 0) {
            if (code != clear)
                break;  // the end code before the last pixel, or a literal above a byte
            width = minCodeSize + 1;
            mask = (1u << width) - 1;
            next = clear + 2;
            fresh = true;
            continue;
        }
        const std::size_t room = count - pos;
        if (string.length > room) {
            // The last string runs past the image: its head fills the rest.
            // A string being defined is cut before its last byte, the only
            // one the copy cannot give.
            std::memcpy(out + pos, string.src, room);
            pos = count;
            break;
        }
        copyString(out + pos, string.src, string.length, room);
        // The string being defined ends with its own first byte, which the
        // copy read before it was written.
        if (code == next)
            out[pos + string.length - 1] = *string.src;
        if (!fresh && next < kMaxCodes)
            ++next;
        fresh = false;
        previous = out + pos;
        previousLength = string.length;
        pos += string.length;
        if (next >= (1u << width) && width < kMaxWidth) {
            ++width;
            mask = (1u << width) - 1;
        }
    }
    result.pixels = pos;
    result.codes = codes;
    if (pos == count) {
        result.chainUnended = !chain.endsInside();
        result.status = result.chainUnended ? Status::BrokenPicture : Status::Ok;
    }
    return result;
}

}  // namespace

LzwResult LzwDecoder::decode(const LzwInput& input, const LzwOutput& output)
{
    LzwResult result;
    if (input.data == nullptr || output.indices == nullptr || input.minCodeSize < 0 ||
        input.minCodeSize > kMaxMinCodeSize || output.width <= 0 || output.height <= 0)
        return result;
    const unsigned clear = 1u << input.minCodeSize;
    ChainBits bits(input.data, input.chainOffset, input.end);
    if (output.interlaced) {
        for (unsigned i = 0; i < clear; ++i) {
            prefix_[i] = 0;
            suffix_[i] = static_cast<std::uint8_t>(i);
            first_[i] = static_cast<std::uint8_t>(i);
            length_[i] = i < 256 ? 1 : 0;
        }
        // The clear and end codes are never output as strings.
        length_[clear] = 0;
        length_[clear + 1] = 0;
        const Tables tables{prefix_.data(), length_.data(), suffix_.data(), first_.data()};
        InterlacedRows rows(output.indices, output.width, output.height);
        return runInterlaced(tables, bits, rows, input.minCodeSize);
    }
    for (unsigned i = 0; i < clear + 2; ++i)
        spans_[i] = Span{literalBytes_.data() + (i & 0xFF), i < 256 && i < clear ? 1u : 0u};
    const std::size_t count = static_cast<std::size_t>(output.width) * static_cast<std::size_t>(output.height);
    return runLinear(spans_.data(), bits, output.indices, count, input.minCodeSize);
}

}  // namespace pelkora::gif
