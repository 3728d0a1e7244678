#pragma once
// The DOB file: two header bytes (width and height modulo 256) and 4-bit
// inverted grey pixels, two to a byte, top row first; and the playlist line
// that names it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "output/playlist_appender.h"
#include "output/tone_pipeline.h"

namespace pelkora::output {

// The pixels a DOB is written from; bits 24-31 are ignored.
using PixelView = pelkora::PixelView;

enum class PlaylistLineForm {
    StillPicture,    // "%s,%s\n\n" with StaticGifPlayTime
    AnimationFrame,  // "%s,%d\n" with frameDisplayTime
    LastFrame,       // "%s,%s\n\n" with DynamicGifLastPicPlayTime
};

// countAnimationFrames 0: still; currentFrame == count - 1: last; else frame.
PlaylistLineForm lineFormFor(int countAnimationFrames, int currentFrame);

struct DobTarget {
    std::filesystem::path dobPath;  // in outputDirectory, named by dobFileName (output/playlist.h)
    std::filesystem::path outputDirectory;
    std::filesystem::path workDirectory;  // where advTimeSetting.ini lies
    PlaylistLineForm form = PlaylistLineForm::StillPicture;
    int frameDisplayTime = 0;
    ToneSteps tone;  // all off: the plain grey formula
    // Told what was written as asked but may not be what the user meant (a
    // header that wraps, a timing value that is no number); may be empty.
    std::function<void(Outcome)> warn;
    // The run's playlist, held open for all its lines; it must be the one
    // in outputDirectory. Null: the playlist is opened for this line alone.
    PlaylistAppender* playlist = nullptr;
    // Whether a header that wraps is told through warn: a caller writing
    // many frames of one picture tells it once.
    bool noteHeaderWrap = true;
    // Where the picture lies in the capture; outside it, letterbox bars that
    // stay flat. Empty: the whole capture is picture.
    Rect pictureArea{};
};

// Grey level of one pixel: 15 - (R/16 + G/16 + B/16) / 3.
std::uint8_t greyOf(std::uint32_t pixel);

// The whole DOB image: 2 + ceil(w*h/2) bytes.
std::vector<std::uint8_t> EncodeDob(const PixelView& pixels);

// EncodeDob, or the image of the grey steps the target asks for.
std::vector<std::uint8_t> EncodeDobFor(const DobTarget& target, const PixelView& pixels);

// "400x300 is stored as 144x44" for a picture whose header bytes wrap;
// empty when both sides are below 256.
std::string headerWrapNote(int width, int height);

// Writes the DOB file whole, then appends its playlist line. A file that
// cannot be put in place gets no line (CannotWrite); CannotWriteIndex when
// the line failed. The system's cause comes with either.
Outcome writeDobFile(const DobTarget& target, const PixelView& pixels);

}  // namespace pelkora::output
