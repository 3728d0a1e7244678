#pragma once
// Odd files that encoders in the wild write, and what this system makes of
// them: in each case what the common decoders (browsers, image libraries,
// the desktop's viewer) do, matched on purpose so that a frame looks here as
// it looks there. Each name marks the place that decides it;
// tests/gif/gif_quirks_test.cpp holds one row per quirk.

namespace pelkora::gif {

enum class GifQuirk {
    // The data ends right after a whole frame, without the trailer 0x3B:
    // many encoders that stream their output never write it, and every
    // decoder shows the frames. The end of the data ends the walk as the
    // trailer would.
    MissingTrailer,
    // The data ends inside a frame (a download cut short): decoders show
    // the frames before it. The cut frame is no frame; the walk ends there.
    TruncatedFrame,
    // A graphic control extension whose size byte is not 4: the block is
    // taken as the eight bytes it always has, so a wrong size byte cannot
    // throw the walk off the blocks after it, and its delay and disposal are
    // read where they stand. Below 4 the size byte does not reach the
    // transparent index, and decoders that heed it treat the frame as
    // opaque: so does this one.
    GraphicControlSize,
    // Two graphic control extensions before one image: delay and disposal
    // are the first one's (the frame starts there), the transparency the
    // last one's, as a decoder reading record after record keeps it.
    RepeatedGraphicControl,
    // A frame whose rectangle reaches past the logical screen keeps its
    // rectangle; only its part on the screen is drawn. Decoders neither
    // grow the screen nor move the frame.
    FramePastScreen,
    // LZW minimum code sizes are read from 0 to 11: the format asks for 2 to
    // 8, yet 0, 1 and up to 11 occur and decode elsewhere. Above 11 the
    // first code would not fit 12 bits: the frame holds no image and is
    // left out. A literal above 255 (possible from 9 on) fits no colour
    // table and ends the image there.
    BadCodeSize,
    // An index at or past the end of the frame's colour table (or any index
    // when there is no table) draws nothing, as a transparent index does:
    // decoders leave the pixel as it was rather than invent a colour.
    IndexPastTable,
    // Image data that ends before the image's last pixel (an end code, a
    // code not yet defined, codes that run out): the rows that decoded
    // whole are drawn, the rest leave what lay beneath, as a progressive
    // decoder shows a picture that stops loading.
    ShortImageData,
    // A delay of 0 to 4 hundredths (or none at all) would flash by: the
    // frame is shown for 100 ms, as browsers raise such delays.
    ZeroDelay,
};

}  // namespace pelkora::gif
