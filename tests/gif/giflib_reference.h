#pragma once
// Our decoder beside giflib's on the same bytes: the images each reads, and,
// for a file both read whole, the first place where they differ. Shared by the
// differential test and the differential fuzzer.

#include <gif_lib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"
#include "gif/frame_image.h"
#include "gif/frame_walker.h"

namespace pelkora::gif::testing {

struct DecodedIndices {
    bool whole = false;  // every pixel decoded
    GifRect rect;
    std::vector<std::uint8_t> indices;  // width x height, top row first
};

// giflib's reading of every image; nothing when it refuses the file.
inline std::optional<std::vector<DecodedIndices>> giflibImages(const std::uint8_t* data, std::size_t size)
{
    struct Reader {
        const std::uint8_t* data;
        std::size_t size;
        std::size_t at;
    } reader{data, size, 0};
    const auto read = [](GifFileType* gif, GifByteType* out, int wanted) -> int {
        auto* r = static_cast<Reader*>(gif->UserData);
        const std::size_t n = wanted <= 0 ? 0 : std::min(static_cast<std::size_t>(wanted), r->size - r->at);
        if (n)
            std::memcpy(out, r->data + r->at, n);
        r->at += n;
        return static_cast<int>(n);
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, read, &error);
    if (gif == nullptr)
        return std::nullopt;
    std::optional<std::vector<DecodedIndices>> images;
    if (DGifSlurp(gif) == GIF_OK) {
        images.emplace();
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& saved = gif->SavedImages[i];
            const GifImageDesc& d = saved.ImageDesc;
            DecodedIndices image{true, GifRect{d.Left, d.Top, d.Width, d.Height}, {}};
            const std::size_t count = static_cast<std::size_t>(d.Width) * static_cast<std::size_t>(d.Height);
            if (saved.RasterBits != nullptr)
                image.indices.assign(saved.RasterBits, saved.RasterBits + count);
            images->push_back(std::move(image));
        }
    }
    DGifCloseFile(gif, &error);
    return images;
}

// Ours: the image of every walked frame that has one, in file order. Images
// larger than pixelLimit are not decoded (whole stays false).
inline std::vector<DecodedIndices> ourImages(const std::uint8_t* data, std::size_t size,
                                             std::size_t pixelLimit = std::size_t{1} << 26)
{
    std::vector<DecodedIndices> images;
    FrameImageDecoder decoder;
    for (const GifFrame& frame : walkFrames(data, size)) {
        if (!frame.hasImage)
            continue;
        DecodedIndices out;
        out.rect = frame.rect;
        const std::size_t count =
                static_cast<std::size_t>(frame.rect.width) * static_cast<std::size_t>(frame.rect.height);
        if (holdsPixels(frame) && count <= pixelLimit) {
            out.indices.assign(count, 0);
            out.whole = decoder.decode(data, size, frame, out.indices.data()).status == Status::Ok;
        }
        images.push_back(std::move(out));
    }
    return images;
}

// What a look over the records finds before giflib is handed the file.
struct RecordSurvey {
    std::size_t largestArea = 0;  // announced by any image descriptor
    // An extension whose first sub-block is empty: DGifSlurp then reads one
    // more chain as the extension's, where a decoder that stops at the
    // empty block (ours, and the frame decoder giflib served before) reads
    // the next record. Such files are not ours to pair up with giflib's.
    bool emptyExtension = false;
};

inline RecordSurvey surveyRecords(const std::uint8_t* data, std::size_t size)
{
    RecordSurvey survey;
    if (size < 13)
        return survey;
    std::size_t p = 13 + ((data[10] & 0x80) ? 3u << ((data[10] & 7) + 1) : 0u);
    std::size_t& largest = survey.largestArea;
    const auto skipChain = [&](std::size_t at) -> std::size_t {
        while (at < size && data[at] != 0)
            at += data[at] + 1u;
        return at + 1;
    };
    while (p < size) {
        if (data[p] == 0x21) {
            if (p + 2 < size && data[p + 2] == 0)
                survey.emptyExtension = true;
            p = skipChain(p + 2);
        } else if (data[p] == 0x2C && size - p >= 10) {
            const std::size_t w = data[p + 5] | (data[p + 6] << 8);
            const std::size_t h = data[p + 7] | (data[p + 8] << 8);
            largest = std::max(largest, w * h);
            p = skipChain(p + 11 + ((data[p + 9] & 0x80) ? 3u << ((data[p + 9] & 7) + 1) : 0u));
        } else {
            break;
        }
    }
    return survey;
}

struct Comparison {
    std::string difference;  // empty when the images agree or the file is not read whole by both
    int compared = 0;        // images compared
};

inline Comparison compareWithGiflib(const std::uint8_t* data, std::size_t size,
                                    std::size_t pixelLimit = std::size_t{1} << 26)
{
    Comparison result;
    const RecordSurvey survey = surveyRecords(data, size);
    if (survey.largestArea > pixelLimit || survey.emptyExtension)
        return result;
    const std::optional<std::vector<DecodedIndices>> theirs = giflibImages(data, size);
    if (!theirs)
        return result;
    const std::vector<DecodedIndices> ours = ourImages(data, size, pixelLimit);
    // Both accept the file: every image read whole by each, as many by
    // both. Where giflib steps over a damaged extension differently, its
    // images are not ours to pair up.
    if (ours.size() != theirs->size())
        return result;
    for (const DecodedIndices& image : ours)
        if (!image.whole)
            return result;
    std::string& difference = result.difference;
    for (std::size_t i = 0; i < ours.size() && i < theirs->size(); ++i) {
        const DecodedIndices& a = ours[i];
        const DecodedIndices& b = (*theirs)[i];
        if (!a.whole || !b.whole)
            continue;
        ++result.compared;
        const std::string which = "image " + std::to_string(i + 1);
        if (a.rect.left != b.rect.left || a.rect.top != b.rect.top || a.rect.width != b.rect.width
            || a.rect.height != b.rect.height) {
            difference = which + ": rectangles differ";
            return result;
        }
        const auto at = std::mismatch(a.indices.begin(), a.indices.end(), b.indices.begin(), b.indices.end());
        if (at.first != a.indices.end() || at.second != b.indices.end()) {
            const auto p = static_cast<std::size_t>(at.first - a.indices.begin());
            difference = which + ": pixel " + std::to_string(p) + " differs";
            return result;
        }
    }
    return result;
}

}  // namespace pelkora::gif::testing
