#include "cli/review_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <string>

#include <QImage>
#include <QBuffer>
#include <QByteArray>

#include "output/ascii.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/package_check.h"

namespace pelkora::cli {


namespace fs = std::filesystem;

namespace {

void reportDobFailure(const fs::path& path, const Outcome& outcome, std::ostream& err)
{
    err << "pelkora: " << outcomeText(outcome.prefixed(path.string())) << "\n";
}

}  // namespace

bool savePng(const QImage& image, const fs::path& path)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    return output::writeWholeFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
            .ok();
}

QImage deviceGreyImage(const output::DobPicture& picture)
{
    QImage image(picture.size.width, picture.size.height, QImage::Format_Grayscale8);
    const auto width = static_cast<std::size_t>(picture.size.width);
    for (int y = 0; y < picture.size.height; ++y) {
        uchar* row = image.scanLine(y);
        const std::uint8_t* levels = picture.levels.data() + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x)
            row[x] = static_cast<uchar>(255 - 17 * levels[x]);
    }
    return image;
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
    if (!shape.outcome.ok()) {
        reportDobFailure(path, shape.outcome, err);
        return false;
    }
    // Several sizes differ at most in whether the last nibble is a pixel:
    // without a choice, the levels are those every size shares.
    const auto smallest = std::min_element(shape.candidates.begin(), shape.candidates.end(), [](auto a, auto b) {
        return std::uint64_t(a.width) * std::uint64_t(a.height) < std::uint64_t(b.width) * std::uint64_t(b.height);
    });
    const output::DobPicture picture = output::readDobFile(path, size ? size : std::optional(*smallest));
    if (!picture.outcome.ok()) {
        reportDobFailure(path, picture.outcome, err);
        return false;
    }
    out << path.string() << ": dob ";
    if (size || shape.candidates.size() == 1) {
        out << sizeText(picture.size) << "\n";
    } else {
        out << output::candidatesText(shape.candidates) << " (choose with --size WxH)\n";
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
        if (!picture.outcome.ok()) {
            reportDobFailure(file, picture.outcome, err);
            allDrawn = false;
            continue;
        }
        fs::path png = file.stem();
        png += ".png";
        png = (folder ? *folder : file.parent_path()) / png;
        if (!savePng(deviceGreyImage(picture), png)) {
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
        if (finding.outcome.failed())
            ++faults;
        if (finding.outcome.severity == Severity::Note)
            out << "note: ";
        if (finding.name.empty()) {
            const std::string where =
                    (folder / output::kPlaylistFileName).string() + ":" + std::to_string(finding.line);
            out << outcomeText(finding.outcome.prefixed(where)) << "\n";
            continue;
        }
        out << outcomeText(finding.outcome.prefixed((folder / finding.name).string()));
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
