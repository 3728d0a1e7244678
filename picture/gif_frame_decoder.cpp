#include "picture/gif_frame_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "picture/pixel_bytes.h"

namespace pelkora::picture {

namespace {

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (wanted <= 0)
        return 0;
    const std::size_t left = reader->size - reader->position;
    const std::size_t count = std::min(left, static_cast<std::size_t>(wanted));
    std::memcpy(out, reader->data + reader->position, count);
    reader->position += count;
    return static_cast<int>(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int ignored = 0;
        DGifCloseFile(gif, &ignored);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// The transparent index of a graphic control extension's data, -1 for none.
int transparentIndexOf(const GifByteType* block)
{
    // block[0] is the size byte; packed, delay (2) and the index follow.
    if (block == nullptr || block[0] < 4)
        return -1;
    return (block[1] & 0x01) != 0 ? block[4] : -1;
}

// Reads one extension whole; for a graphic control extension, its
// transparent index replaces the current one.
bool readExtension(GifFileType* gif, int& transparentIndex)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE)
        transparentIndex = transparentIndexOf(block);
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}

// The colour table as premultiplied pixels, indices beyond it and the
// transparent index at alpha 0.
std::array<QRgb, 256> paletteOf(const ColorMapObject* map, int transparentIndex)
{
    std::array<QRgb, 256> palette{};
    if (map != nullptr && map->Colors != nullptr) {
        const int count = std::clamp(map->ColorCount, 0, 256);
        for (int i = 0; i < count; ++i) {
            const GifColorType& c = map->Colors[i];
            palette[static_cast<std::size_t>(i)] = qRgb(c.Red, c.Green, c.Blue);
        }
    }
    if (transparentIndex >= 0 && transparentIndex < 256)
        palette[static_cast<std::size_t>(transparentIndex)] = 0;
    return palette;
}

// Row y of the picture that the n-th row of the stream fills.
int rowOfLine(int line, int height, bool interlaced)
{
    if (!interlaced)
        return line;
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = kStart[pass] < height ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (line < rows)
            return kStart[pass] + line * kStep[pass];
        line -= rows;
    }
    return -1;
}

// Rows that the data does not hold stay transparent: what decoded is shown.
void readPixels(GifFileType* gif, QImage& image, const std::array<QRgb, 256>& palette)
{
    const int width = image.width();
    const int height = image.height();
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    const bool interlaced = gif->Image.Interlace;
    for (int n = 0; n < height; ++n) {
        if (DGifGetLine(gif, line.data(), width) == GIF_ERROR)
            return;
        const int y = rowOfLine(n, height, interlaced);
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = palette[line[static_cast<std::size_t>(x)]];
    }
}

DecodedGifImage decodeImage(GifFileType* gif, int transparentIndex, std::uint64_t budgetBytes)
{
    DecodedGifImage result;
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return result;
    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0)
        return result;
    if (rgb32Bytes(desc.Width, desc.Height) > budgetBytes) {
        result.status = Status::FramesTooLarge;
        return result;
    }
    QImage image(desc.Width, desc.Height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return result;
    image.fill(Qt::transparent);
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    readPixels(gif, image, paletteOf(map, transparentIndex));
    result.status = Status::Ok;
    result.image = std::move(image);
    result.left = desc.Left;
    result.top = desc.Top;
    return result;
}

}  // namespace

DecodedGifImage DecodeGifImage(const std::uint8_t* data, std::size_t size, std::uint64_t budgetBytes)
{
    if (data == nullptr || size == 0)
        return {};
    MemoryReader reader{data, size, 0};
    int error = 0;
    GifHandle gif(DGifOpen(&reader, readFromMemory, &error));
    if (!gif)
        return {};
    int transparentIndex = -1;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return {};
        switch (record) {
        case IMAGE_DESC_RECORD_TYPE:
            return decodeImage(gif.get(), transparentIndex, budgetBytes);
        case EXTENSION_RECORD_TYPE:
            if (!readExtension(gif.get(), transparentIndex))
                return {};
            break;
        default:
            return {};  // the trailer, or anything else, before an image
        }
    }
}

}  // namespace pelkora::picture
