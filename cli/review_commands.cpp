#include "cli/review_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <string>

#include "output/ascii.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/package_check.h"

namespace pelkora::cli {

namespace fs = std::filesystem;

namespace {

std::string candidatesText(const std::vector<output::Size>& sizes)
{
    std::string text;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        text += (i == 0 ? "" : " or ") + sizeText(sizes[i]);
    return text;
}

void reportDobFailure(const fs::path& path, const output::DobPicture& picture, std::ostream& err)
{
    err << "pelkora: " << path.string() << ": " << statusText(picture.status);
    if (picture.status == Status::DobSizeAmbiguous || picture.status == Status::DobSizeUnfit)
        err << ": " << candidatesText(picture.candidates);
    err << "\n";
}

}  // namespace

bool savePng(const output::PngPicture& picture, const fs::path& path)
{
    const std::optional<std::string> bytes = output::encodePng(picture);
    return bytes && output::writeWholeFile(path, *bytes);
}

output::PngPicture deviceGreyPicture(const output::DobPicture& picture)
{
    output::PngPicture grey{picture.size.width, picture.size.height, output::PngColour::Grey8, {}};
    grey.samples.reserve(picture.levels.size());
    for (const std::uint8_t level : picture.levels)
        grey.samples.push_back(static_cast<std::uint8_t>(255 - 17 * level));
    return grey;
}

std::string secondsText(std::uint64_t milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(milliseconds / 1000),
                  static_cast<unsigned long long>(milliseconds % 1000));
    return text;
}

bool isDobName(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.size() > 4 && output::equalsIgnoringAsciiCase(std::string_view(name).substr(name.size() - 4), ".dob");
}

bool describeDob(const fs::path& path, std::optional<output::Size> size, std::ostream& out, std::ostream& err)
{
    const output::DobShape shape = output::inspectDobFile(path);
    if (shape.status != Status::Ok) {
        err << "pelkora: " << path.string() << ": " << statusText(shape.status);
        if (shape.status == Status::BadDobLength)
            err << " (" << shape.length << " bytes)";
        err << "\n";
        return false;
    }
    // Several sizes differ at most in whether the last nibble is a pixel:
    // without a choice, the levels are those every size shares.
    const auto smallest = std::min_element(shape.candidates.begin(), shape.candidates.end(), [](auto a, auto b) {
        return std::uint64_t(a.width) * std::uint64_t(a.height) < std::uint64_t(b.width) * std::uint64_t(b.height);
    });
    const output::DobPicture picture = output::readDobFile(path, size ? size : std::optional(*smallest));
    if (picture.status != Status::Ok) {
        reportDobFailure(path, picture, err);
        return false;
    }
    out << path.string() << ": dob ";
    if (size || shape.candidates.size() == 1) {
        out << sizeText(picture.size) << "\n";
    } else {
        out << candidatesText(shape.candidates) << " (choose with --size WxH)\n";
    }
    std::array<std::uint64_t, 16> counts{};
    for (const std::uint8_t level : picture.levels)
        ++counts[level];
    out << "levels 0 (white) to 15 (black):";
    for (const std::uint64_t count : counts)
        out << " " << count;
    out << "\n";
    return true;
}

int renderDobs(const std::vector<fs::path>& files, std::optional<output::Size> size,
               const std::optional<fs::path>& folder, bool quiet, std::ostream& out, std::ostream& err)
{
    std::error_code error;
    if (folder && !fs::is_directory(*folder, error) && !fs::create_directory(*folder, error)) {
        err << "pelkora: " << folder->string() << ": cannot create the folder\n";
        return 1;
    }
    bool allDrawn = true;
    for (const fs::path& file : files) {
        const output::DobPicture picture = output::readDobFile(file, size);
        if (picture.status != Status::Ok) {
            reportDobFailure(file, picture, err);
            allDrawn = false;
            continue;
        }
        fs::path png = file.stem();
        png += ".png";
        png = (folder ? *folder : file.parent_path()) / png;
        if (!savePng(deviceGreyPicture(picture), png)) {
            err << "pelkora: " << png.string() << ": " << statusText(Status::CannotWrite) << "\n";
            allDrawn = false;
            continue;
        }
        if (!quiet)
            out << png.string() << " written\n";
    }
    return allDrawn ? 0 : 1;
}

int checkPackage(const fs::path& folder, std::ostream& out, std::ostream& err)
{
    const output::PackageCheck check = output::checkPackage(folder);
    if (!check.folderFound) {
        err << "pelkora: " << folder.string() << ": no such folder\n";
        return 1;
    }
    std::size_t faults = 0;
    for (const output::Finding& finding : check.findings) {
        if (!finding.note)
            ++faults;
        if (finding.note)
            out << "note: ";
        if (finding.name.empty()) {
            out << (folder / output::kPlaylistFileName).string() << ":" << finding.line << ": "
                << statusText(finding.status) << ": \"" << finding.detail << "\"\n";
            continue;
        }
        out << (folder / finding.name).string() << ": " << statusText(finding.status);
        if (!finding.detail.empty())
            out << " (" << finding.detail << ")";
        if (finding.line != 0)
            out << ", line " << finding.line;
        out << "\n";
    }
    out << folder.string() << ": " << check.files << " file" << (check.files == 1 ? "" : "s") << ", " << check.lines
        << " line" << (check.lines == 1 ? "" : "s") << ", loop " << secondsText(check.loopMilliseconds) << " s: ";
    if (faults == 0) {
        out << "sound\n";
    } else {
        out << faults << " fault" << (faults == 1 ? "" : "s") << "\n";
    }
    return faults == 0 ? 0 : 1;
}

}  // namespace pelkora::cli
