#pragma once
// Steps through the block structure of a GIF held in memory, without
// decoding any image data: classify the block at the cursor, measure it from
// its length bytes, step past it. The frame walker (gif/frame_walker.h)
// builds frames from these steps. Knows only bytes.
//
// No operation ever reads at or beyond dataSize.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace pelkora::gif {

enum class GifBlockKind : int {
    Unrecognised = 0,
    ApplicationExtension = 1,
    CommentExtension = 2,
    GraphicControlExtension = 3,
    PlainTextExtension = 4,
    ImageDescriptor = 5,
    Trailer = 6,
    // 0x21 with a label not listed above: stepped over by its sub-blocks,
    // as GIF89a asks of decoders that do not know an extension.
    UnknownExtension = 7,
};

// The header and logical screen descriptor; the global colour table follows.
inline constexpr std::size_t kHeaderAndScreenBytes = 13;

struct LogicalScreen {
    int width = 0;
    int height = 0;
    int globalColorTableSize = 0;  // bytes, 0 without a table
};

// True when the data begins "GIF87a" or "GIF89a".
bool HasGifSignature(const std::uint8_t* data, std::size_t size);

// The logical screen of a GIF; nothing when the data is shorter than its
// header, descriptor and announced global colour table.
std::optional<LogicalScreen> ReadLogicalScreen(const std::uint8_t* data, std::size_t size);

class GifScanner {
public:
    const std::uint8_t* gifData = nullptr;
    std::size_t dataSize = 0;
    std::size_t scanOffset = 0;
    int globalColorTableSize = 0;

    // Bytes of the sub-block chain at offset, terminator included; 0 when it
    // is not ended inside the data.
    std::int64_t SubBlocksLength(std::size_t offset) const;
    GifBlockKind ClassifyBlock() const;
    // -1 for Unrecognised, 0 when the block cannot be measured.
    std::int64_t BlockLength() const;
    // False, with the cursor left where it was, for a block that cannot be
    // measured or that would end beyond the data.
    bool AdvanceBlock();
};

// A scanner at the first block: after the header, the logical screen and a
// global colour table of globalColorTableSize bytes.
GifScanner ScannerAtFirstBlock(const std::uint8_t* data, std::size_t size, int globalColorTableSize);

}  // namespace pelkora::gif
