#pragma once
// A small LZW encoder for GIF image data, so that tests can write real
// compressed images of any minimum code size, with or without a clear code
// when the table fills. Its code widths follow the decoder's rule exactly:
// it tracks the table the decoder will hold, one code behind its own.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace pelkora::testing {

struct LzwOptions {
    int minCodeSize = 2;
    // A clear code first, as most encoders write one.
    bool leadingClear = true;
    // When the table is full: a clear code and a fresh table, or (false)
    // keep coding with the full table (a "deferred clear").
    bool clearWhenFull = true;
    // Codes held back from the table on purpose, to make long runs of
    // single-byte strings.
    bool addEntries = true;
};

// The code stream of values (each below 2^minCodeSize), packed least
// significant bit first, ending with the end code; not yet cut into
// sub-blocks.
inline std::vector<std::uint8_t> lzwEncode(const std::vector<std::uint16_t>& values, const LzwOptions& options)
{
    const unsigned clear = 1u << options.minCodeSize;
    const unsigned endCode = clear + 1;
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    int width = options.minCodeSize + 1;
    unsigned decoderNext = clear + 2;
    bool decoderFresh = true;  // the decoder adds nothing for the first code after a clear
    unsigned next = clear + 2;
    std::unordered_map<std::uint32_t, std::uint16_t> table;

    const auto putCode = [&](unsigned code) {
        bits |= code << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
        if (code == clear) {
            width = options.minCodeSize + 1;
            decoderNext = clear + 2;
            decoderFresh = true;
            return;
        }
        if (!decoderFresh && decoderNext < 4096)
            ++decoderNext;
        decoderFresh = false;
        if (decoderNext >= (1u << width) && width < 12)
            ++width;
    };
    const auto reset = [&] {
        table.clear();
        next = clear + 2;
    };

    if (options.leadingClear)
        putCode(clear);
    if (!values.empty()) {
        unsigned current = values[0];
        for (std::size_t i = 1; i < values.size(); ++i) {
            const std::uint32_t key = (current << 12) | values[i];
            const auto found = table.find(key);
            if (found != table.end()) {
                current = found->second;
                continue;
            }
            putCode(current);
            if (options.addEntries && next < 4096) {
                table.emplace(key, static_cast<std::uint16_t>(next++));
                if (next == 4096 && options.clearWhenFull) {
                    putCode(clear);
                    reset();
                }
            }
            current = values[i];
        }
        putCode(current);
    }
    putCode(endCode);
    if (count > 0)
        out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    return out;
}

}  // namespace pelkora::testing
