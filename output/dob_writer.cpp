#include "output/dob_writer.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "output/dither.h"
#include "output/grey_pairs.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/playlist.h"
#include "output/timing_settings.h"

namespace pelkora::output {

namespace {

void warnIfAny(const DobTarget& target, Status status, std::string detail)
{
    if (!detail.empty() && target.warn)
        target.warn(Outcome(status, std::move(detail)));
}

std::string timedEntry(const DobTarget& target, const std::string& name, std::string_view key,
                       std::string_view defaultValue)
{
    TimingSetting setting = readTimingSetting(timingSettingsPath(target.workDirectory), key, defaultValue);
    warnIfAny(target, Status::SettingNotANumber, std::move(setting.warning));
    return stillPictureEntry(name, setting.value);
}

std::string playlistLine(const DobTarget& target, const std::string& name)
{
    switch (target.form) {
    case PlaylistLineForm::StillPicture:
        return timedEntry(target, name, kStaticPlayTimeKey, kStaticPlayTimeDefault);
    case PlaylistLineForm::LastFrame:
        return timedEntry(target, name, kLastFramePlayTimeKey, kLastFramePlayTimeDefault);
    case PlaylistLineForm::AnimationFrame:
        break;
    }
    return frameEntry(name, target.frameDisplayTime);
}

}  // namespace

PlaylistLineForm lineFormFor(int countAnimationFrames, int currentFrame)
{
    if (countAnimationFrames == 0)
        return PlaylistLineForm::StillPicture;
    if (countAnimationFrames - 1 == currentFrame)
        return PlaylistLineForm::LastFrame;
    return PlaylistLineForm::AnimationFrame;
}

std::uint8_t greyOf(std::uint32_t pixel)
{
    const unsigned red = (pixel >> 20) & 0xF;
    const unsigned green = (pixel >> 12) & 0xF;
    const unsigned blue = (pixel >> 4) & 0xF;
    return static_cast<std::uint8_t>(15 - (red + green + blue) / 3);
}

std::vector<std::uint8_t> EncodeDob(const PixelView& view)
{
    if (view.width <= 0 || view.height <= 0 || view.pixels == nullptr)
        return {};
    const auto width = static_cast<std::size_t>(view.width);
    const auto height = static_cast<std::size_t>(view.height);
    // Both are below 2^31, so the product fits in 64 bits.
    const std::size_t count = width * height;
    std::vector<std::uint8_t> dob(2 + (count + 1) / 2);
    dob[0] = static_cast<std::uint8_t>(width & 0xFF);
    dob[1] = static_cast<std::uint8_t>(height & 0xFF);

    if (view.stride == view.width) {
        packGreyPairs(view.pixels, count, dob.data() + 2);
        return dob;
    }
    // Rows with gaps between them: an odd width packs the end of one row
    // with the start of the next, so lay the rows end to end first.
    std::vector<std::uint32_t> scratch(count);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint32_t* row = view.pixels + static_cast<std::ptrdiff_t>(y) * view.stride;
        std::copy(row, row + width, scratch.begin() + static_cast<std::ptrdiff_t>(y * width));
    }
    packGreyPairs(scratch.data(), count, dob.data() + 2);
    return dob;
}

std::vector<std::uint8_t> EncodeDobFor(const DobTarget& target, const PixelView& pixels)
{
    if (target.tone.plain())
        return EncodeDob(pixels);
    return EncodeDobLevels(toneLevels(target.tone, pixels, target.pictureArea), pixels.width, pixels.height);
}

std::string headerWrapNote(int width, int height)
{
    if (width < 256 && height < 256)
        return {};
    return std::to_string(width) + "x" + std::to_string(height) + " is stored as " + std::to_string(width & 0xFF) + "x"
           + std::to_string(height & 0xFF);
}

Outcome writeDobFile(const DobTarget& target, const PixelView& pixels)
{
    const std::vector<std::uint8_t> dob = EncodeDobFor(target, pixels);
    if (dob.empty())
        return Status::EmptySurface;
    const std::filesystem::path& dobPath = target.dobPath;
    const std::string name = dobPath.filename().string();
    // No line may name a file that is not there: the line follows the rename.
    if (Outcome written =
                writeWholeFile(dobPath, std::string_view(reinterpret_cast<const char*>(dob.data()), dob.size()));
        !written.ok())
        return written;
    if (std::string wrap = headerWrapNote(pixels.width, pixels.height); !wrap.empty() && target.warn
                                                                                 && target.noteHeaderWrap)
        target.warn(Outcome(Status::HeaderWraps, std::move(wrap)).prefix(name));
    const std::string line = playlistLine(target, name);
    return target.playlist != nullptr ? target.playlist->append(line)
                                      : appendPlaylistEntry(playlistPath(target.outputDirectory), line);
}

}  // namespace pelkora::output
