#pragma once
// The commands that look at what was written instead of writing it: a DOB
// file described, drawn as a PNG, and a package checked before it goes onto the device.

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "output/dob_reader.h"
#include "output/folder_lock.h"
#include "output/package_texts.h"
#include "output/png_writer.h"

namespace pelkora::cli {

// The picture in the device's greys: level v as 255 - 17 * v.
output::PngPicture deviceGreyPicture(const output::DobPicture& picture);

// Encoded whole, then written under a temporary name and renamed over
// path, which replaces a link there instead of writing through it. False,
// with the system's cause where there is one, when it is not in place.
bool savePng(const output::PngPicture& picture, const std::filesystem::path& path, std::error_code& cause);

using output::isDobName;
using output::secondsText;

// "FILE.dob: dob WxH" (or every size it can have) and the count of each of
// the 16 levels. False when the file cannot be read as a DOB.
bool describeDob(const std::filesystem::path& path, std::optional<output::Size> size, std::ostream& out,
                 std::ostream& err);

// NAME.png for each file, 8-bit grey 255 - 17 * level, beside it or in
// folder (never in the output folder). A file is read as a DOB by its
// ".dob" name or with size; no input is written over and no name twice.
// Exit status: 0 when every file was drawn, 1 otherwise.
int renderDobs(const std::vector<std::filesystem::path>& files, std::optional<output::Size> size,
               const std::optional<std::filesystem::path>& folder, bool quiet, std::ostream& out, std::ostream& err);

// The package folder locked shared for a whole reading, so that a run
// writing it is waited for (said once on err) and never seen half-done.
// Not held for a folder that is missing or cannot be locked: the reading
// then says what it finds.
output::FolderLock lockForReading(const std::filesystem::path& folder, std::ostream& err);

// One line a finding and a summary. Exit status 0 when the package is sound;
// a picture larger than the screen, when one is given, is only a warning.
int checkPackage(const std::filesystem::path& folder, const std::optional<output::Size>& screen, std::ostream& out,
                 std::ostream& err);

}  // namespace pelkora::cli
