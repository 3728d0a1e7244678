// The whole load path on arbitrary bytes: signature test, GIF block walk,
// frame decoding, composition on the surface, the one pass of an animation
// and the capture of every frame, encoded into memory instead of files.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "output/dob_writer.h"
#include "picture/animated_picture.h"

namespace {

// Captures are encoded like the real writer does and then dropped.
pelkora::Status encodeOnly(const pelkora::output::DobTarget&, const pelkora::output::PixelView& pixels)
{
    const auto dob = pelkora::output::EncodeDob(pixels);
    return dob.size() >= 2 ? pelkora::Status::Ok : pelkora::Status::CannotWrite;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pelkora::picture::AnimatedPicture picture(std::filesystem::temp_directory_path() / "pelkora-load-fuzz");
    pelkora::picture::LoadLimits limits;
    // Small enough to keep every run quick; the checks are the same as at full size.
    limits.surfaceBytes = std::uint64_t{64} << 20;
    limits.frameBytes = std::uint64_t{128} << 20;
    picture.setLimits(limits);
    picture.setRealtime(false);
    picture.setCaptureSink(encodeOnly);
    if (picture.LoadMemory(data, size).ok()) {
        picture.ShowPicture();
        picture.finishPass();
        (void)picture.snapshot();
    }
    return 0;
}
