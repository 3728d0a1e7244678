#include "gif/lzw_encoder.h"

namespace pelkora::gif {

namespace {

constexpr int kMaxCodeBits = 12;
constexpr unsigned kTableSize = 1u << kMaxCodeBits;
constexpr std::uint16_t kNoCode = 0;  // no string ever extends to code 0: codes below the clear are roots

class BitPacker {
public:
    explicit BitPacker(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(unsigned code, int width)
    {
        bits_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(bits_ & 0xFF));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void flush()
    {
        if (count_ > 0)
            out_.push_back(static_cast<std::uint8_t>(bits_ & 0xFF));
        bits_ = 0;
        count_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t bits_ = 0;
    int count_ = 0;
};

}  // namespace

std::vector<std::uint8_t> lzwEncode(const std::uint8_t* indices, std::size_t count, int minCodeSize)
{
    const unsigned clear = 1u << minCodeSize;
    const unsigned end = clear + 1;
    const unsigned alphabet = clear;
    // The string a code stands for, extended by one index: children[code * alphabet + index].
    std::vector<std::uint16_t> children(static_cast<std::size_t>(kTableSize) * alphabet, kNoCode);
    std::vector<std::uint8_t> out;
    BitPacker packer(out);
    int width = minCodeSize + 1;
    unsigned next = end + 1;

    // After each code the decoder's table gains the entry the coder made
    // one code earlier; the width grows when that table reaches 2^width.
    const auto emit = [&](unsigned code) {
        packer.put(code, width);
        if (next >= (1u << width) && width < kMaxCodeBits)
            ++width;
    };
    const auto restart = [&] {
        std::fill(children.begin(), children.end(), kNoCode);
        width = minCodeSize + 1;
        next = end + 1;
    };

    packer.put(clear, width);
    if (count == 0) {
        packer.put(end, width);
        packer.flush();
        return out;
    }
    unsigned prefix = indices[0] & (alphabet - 1);
    for (std::size_t i = 1; i < count; ++i) {
        const unsigned index = indices[i] & (alphabet - 1);
        std::uint16_t& child = children[static_cast<std::size_t>(prefix) * alphabet + index];
        if (child != kNoCode) {
            prefix = child;
            continue;
        }
        emit(prefix);
        if (next < kTableSize - 1) {
            child = static_cast<std::uint16_t>(next++);
        } else {
            packer.put(clear, width);
            restart();
        }
        prefix = index;
    }
    emit(prefix);
    packer.put(end, width);
    packer.flush();
    return out;
}

}  // namespace pelkora::gif
