// Odd files and what this system makes of them, one row per GifQuirk: the
// frames the walk finds, how long each is shown, and the pixels each draws.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "gif/frame_image.h"
#include "gif/frame_walker.h"
#include "gif/gif_quirks.h"
#include "picture/frame_timing.h"
#include "support/gif_builder.h"

namespace pelkora::gif {
namespace {

using pelkora::testing::GifBuilder;
using pelkora::testing::GifPictureFrame;
using pelkora::testing::solidFrame;
using Bytes = std::vector<std::uint8_t>;

// " ROW/ROW": a digit per index drawn, '.' where nothing is drawn, '?' in a
// row the data does not hold.
std::string pixelsSeen(const Bytes& data, const GifFrame& frame, FrameImageDecoder& decoder)
{
    const GifRect& r = frame.rect;
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height));
    const DecodedRows rows = decoder.decode(data.data(), data.size(), frame, indices.data());
    const TransparentIndices holes = transparentIndicesOf(frame, colorTableOf(data.data(), data.size(), frame));
    std::vector<bool> decoded(static_cast<std::size_t>(r.height), false);
    for (int n = 0; n < rows.rowsComplete; ++n)
        decoded[static_cast<std::size_t>(imageRowAt(n, r.height, frame.interlaced))] = true;
    std::string out;
    for (int y = 0; y < r.height; ++y) {
        out += y == 0 ? ' ' : '/';
        for (int x = 0; x < r.width; ++x) {
            const std::uint8_t index = indices[static_cast<std::size_t>(y * r.width + x)];
            out += !decoded[static_cast<std::size_t>(y)] ? '?'
                   : holes.contains(index)               ? '.'
                                                         : static_cast<char>('0' + index);
        }
    }
    return out;
}

// "LEFT,TOP WxH wait MS dispose D:" and the pixels of each frame walked,
// " | " between.
std::string seen(const Bytes& data)
{
    std::string out;
    FrameImageDecoder decoder;
    for (const GifFrame& frame : walkFrames(data.data(), data.size())) {
        const GifRect& r = frame.rect;
        out += out.empty() ? "" : " | ";
        out += std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x"
               + std::to_string(r.height) + " wait " + std::to_string(picture::frameWait(frame.delay).count())
               + " dispose " + std::to_string(frame.disposal) + ":";
        out += holdsPixels(frame) ? pixelsSeen(data, frame, decoder) : " no image";
    }
    return out;
}

const std::vector<pelkora::testing::Rgb> kTwoColours = {0x000000, 0xFFFFFF};

GifBuilder twoColours(int width, int height)
{
    return std::move(GifBuilder().header().screenWithColors(width, height, kTwoColours));
}

GifPictureFrame pixels(std::vector<std::uint8_t> indices, int delay = 0)
{
    GifPictureFrame frame = solidFrame(0, 0, static_cast<int>(indices.size()), 1, 0, delay);
    frame.indices = std::move(indices);
    return frame;
}

GifPictureFrame bare(GifPictureFrame frame)
{
    frame.control = false;
    return frame;
}

TEST(GifQuirks, OddFilesAreSeenAsOtherDecodersSeeThem)
{
    struct Row {
        GifQuirk quirk;
        Bytes gif;
        std::string expected;
    };
    GifPictureFrame pastScreen = solidFrame(1, 1, 2, 2, 1);
    GifPictureFrame pastTable = pixels({3, 1});
    pastTable.minCodeSize = 3;
    GifPictureFrame codeSizeOne = pixels({1, 0});
    codeSizeOne.minCodeSize = 1;
    const Row rows[] = {
            {GifQuirk::MissingTrailer, twoColours(2, 1).picture(pixels({1, 0}, 20)).bytes(),
             "0,0 2x1 wait 200 dispose 0: 10"},
            {GifQuirk::TruncatedFrame,
             twoColours(2, 1).picture(pixels({1, 0})).picture(pixels({0, 1})).trailer().dropLast(3).bytes(),
             "0,0 2x1 wait 100 dispose 0: 10"},
            // Transparent flag set and index 1 named, but the size byte stops short.
            {GifQuirk::GraphicControlSize,
             twoColours(2, 1).raw({0x21, 0xF9, 0x03, 0x09, 50, 0, 1, 0}).picture(bare(pixels({1, 0}))).bytes(),
             "0,0 2x1 wait 500 dispose 2: 10"},
            {GifQuirk::RepeatedGraphicControl,
             twoColours(2, 1)
                     .graphicControl(0x09, 50, 0)
                     .graphicControl(0x01, 7, 1)
                     .picture(bare(pixels({0, 1})))
                     .bytes(),
             "0,0 2x1 wait 500 dispose 2: 0."},
            {GifQuirk::FramePastScreen, twoColours(2, 2).picture(pastScreen).trailer().bytes(),
             "1,1 2x2 wait 100 dispose 0: 11/11"},
            // Code size 1 decodes; 12 leaves the frame without an image.
            {GifQuirk::BadCodeSize,
             twoColours(2, 1).picture(codeSizeOne).imageDescriptor(0, 0, 2, 1, 0).raw({12, 1, 0, 0}).trailer().bytes(),
             "0,0 2x1 wait 100 dispose 0: 10 | 0,0 2x1 wait 100 dispose 0: no image"},
            {GifQuirk::IndexPastTable, twoColours(2, 1).picture(pastTable).trailer().bytes(),
             "0,0 2x1 wait 100 dispose 0: .1"},
            // Codes: clear, four literals 1, end; the image wants eight pixels.
            {GifQuirk::ShortImageData,
             twoColours(4, 2).imageDescriptor(0, 0, 4, 2, 0).raw({2, 3, 0x4C, 0x12, 0x05, 0}).trailer().bytes(),
             "0,0 4x2 wait 100 dispose 0: 1111/????"},
            {GifQuirk::ZeroDelay, twoColours(2, 1).picture(pixels({0, 1}, 0)).trailer().bytes(),
             "0,0 2x1 wait 100 dispose 0: 01"},
    };
    std::set<GifQuirk> covered;
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.quirk));
        EXPECT_EQ(seen(row.gif), row.expected);
        covered.insert(row.quirk);
    }
    // ZeroDelay is the last quirk named: every one has its row.
    EXPECT_EQ(covered.size(), static_cast<std::size_t>(GifQuirk::ZeroDelay) + 1);
}

}  // namespace
}  // namespace pelkora::gif
