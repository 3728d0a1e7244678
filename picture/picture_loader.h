#pragma once
// Turns the bytes of a picture file into what the control plays: a still
// picture, or the list of an animation's frames with its logical screen.
// Pure: no threads, nothing kept between calls, so any thread may load while
// another plays or writes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/image.h"
#include "core/status.h"
#include "gif/gif_frame.h"
#include "output/input_file.h"
#include "output/size.h"

namespace pelkora::picture {

// What one load may ask of memory. A small GIF can announce gigabytes
// (LZW expands up to about 2700:1), so every size is checked before it is
// allocated.
struct LoadLimits {
    std::uint64_t fileBytes = std::uint64_t{1} << 30;       // the file read whole
    std::uint64_t surfaceBytes = std::uint64_t{256} << 20;  // 4 bytes a pixel
    // What an animation holds: its file's bytes, its frame records and the
    // one buffer of its largest frame rectangle (a byte a pixel) that frames
    // are decoded through; a still picture's pixels (4 bytes a pixel).
    std::uint64_t frameBytes = std::uint64_t{1} << 30;
    // The size pictures will be fitted into, if any: a decoder that can
    // decode at a reduced size then hands a still picture that is smaller,
    // yet large enough to fit from within a grey level of the full one, and
    // its full size beside it.
    std::optional<output::Size> fit;
    // What a still picture's transparent pixels are blended onto: the
    // dialog's surface colour unless --background names another.
    std::uint32_t matte = 0xF0F0F0;
};

// A GIF's bytes as read, shared by its frames. Never changed after the load,
// so the player's worker may read them while another thread loads.
using SharedBytes = std::shared_ptr<const output::ReadBuffer>;

// One frame of an animation: the walk's record of it (rectangle, delay,
// disposal, where its image data lies) and the file's bytes it lies in. It
// is decoded each time it is drawn, so no picture per frame is held.
struct FrameRecord {
    SharedBytes source;  // the whole file; null for a record with nothing to draw
    gif::GifFrame frame;
};

// A still picture (or a one-frame GIF) and where it lands on the surface.
// Never changed once loaded, so the surface may share it.
struct StillPicture {
    std::shared_ptr<const Image> image;
    int left = 0;
    int top = 0;
    // Pixels of value 0 draw nothing: a GIF's transparent index, its indices
    // past the table and the rows its data does not hold.
    bool holes = false;
};

struct LoadedPicture {
    bool isGif = false;
    // The surface: a GIF's logical screen, else the picture's own size.
    // Known once the header (or the whole picture) is read, even when the
    // load fails later.
    std::optional<int> width;
    std::optional<int> height;
    // The colour a disposal and the end of the pass clear to.
    std::uint32_t backgroundColor = 0xFFFFFF;
    std::optional<StillPicture> still;
    std::vector<FrameRecord> frames;  // two or more: an animation
    // From the last frame walked; set only when the frames of a GIF were walked.
    std::optional<int> frameDisplayTime;
    // A still picture decoded at a reduced size: the picture's own size,
    // which fitting takes its geometry from. Empty at the full size.
    std::optional<output::Size> fullSize;

    bool isAnimation() const { return isGif && frames.size() >= 2; }
    // What the picture holds in memory: a still's pixels, the frames'
    // records and the file's bytes they share (counted once).
    std::uint64_t heldBytes() const;
};

struct LoadOutcome {
    Outcome outcome;                    // with the decoder's own reason for a failure as its detail
    std::vector<std::string> messages;  // what the decoder said without failing

    bool ok() const { return outcome.ok(); }
    Status status() const { return outcome.status; }
    // The status in words, with the decoder's reason where it gave one.
    std::string reason() const { return outcomeText(outcome); }
};

struct LoadResult {
    LoadOutcome outcome;
    LoadedPicture picture;
    // The name the captures are written under; only a load from a file has one.
    std::optional<std::string> baseName;
    // False when the file was not read (or was empty): the decoder never ran.
    bool decoded = false;
};

// The file name without its last extension, what the package names it by.
std::string BaseNameOf(const std::filesystem::path& path);

// Decodes a file that readInput (output/input_file.h) read whole. An
// animation's frames take its buffer over: bytes is empty after a load that
// kept them.
LoadResult LoadPictureFile(const std::filesystem::path& path, output::ReadBuffer& bytes, const LoadLimits& limits);
// Reads the file (within limits.fileBytes) and decodes it.
LoadResult LoadPictureFile(const std::filesystem::path& path, const LoadLimits& limits);
// Whether data begins as a picture some decoder here is tried on; data
// that does not is never a picture, whatever follows.
bool HasPictureSignature(const std::uint8_t* data, std::size_t size);
// Decodes bytes already in memory; they are not used after the call.
LoadResult LoadPictureBytes(const std::uint8_t* data, std::size_t size, const LoadLimits& limits);

}  // namespace pelkora::picture
