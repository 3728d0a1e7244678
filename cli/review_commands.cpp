#include "cli/review_commands.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ostream>
#include <string>

#include "output/ascii.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/names.h"
#include "output/package_check.h"
#include "output/review_places.h"
#include "platform/interruption.h"

namespace pelkora::cli {

namespace fs = std::filesystem;

namespace {

// "Cant find file!" is what a text that cannot be found says; a DOB says
// what stands in its way.
std::string readFailureText(Status status, const std::error_code& cause)
{
    if (status == Status::CantFindFile)
        return "no such file";
    return output::escapedForTerminal(outcomeText(Outcome(status, cause)));
}

void reportDobFailure(const fs::path& path, const output::DobPicture& picture, std::ostream& err)
{
    err << "pelkora: " << output::escapedForTerminal(path.string()) << ": "
        << readFailureText(picture.outcome.status, picture.outcome.cause);
    if (picture.outcome.status == Status::DobSizeAmbiguous || picture.outcome.status == Status::DobSizeUnfit)
        err << ": " << output::candidatesText(picture.candidates);
    err << "\n";
}

}  // namespace

bool savePng(const output::PngPicture& picture, const fs::path& path, std::error_code& cause)
{
    cause.clear();
    const std::optional<std::string> bytes = output::encodePng(picture);
    if (!bytes)
        return false;
    const Outcome written = output::writeWholeFile(path, *bytes);
    cause = written.cause;
    return written.ok();
}

output::PngPicture deviceGreyPicture(const output::DobPicture& picture)
{
    output::PngPicture grey{picture.size.width, picture.size.height, output::PngColour::Grey8, {}};
    grey.samples.reserve(picture.levels.size());
    for (const std::uint8_t level : picture.levels)
        grey.samples.push_back(static_cast<std::uint8_t>(255 - 17 * level));
    return grey;
}

bool describeDob(const fs::path& path, std::optional<output::Size> size, std::ostream& out, std::ostream& err)
{
    const output::DobShape shape = output::inspectDobFile(path);
    if (shape.outcome.status != Status::Ok) {
        err << "pelkora: " << output::escapedForTerminal(path.string()) << ": " << readFailureText(shape.outcome.status, shape.outcome.cause);
        if (shape.outcome.status == Status::BadDobLength)
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
    if (picture.outcome.status != Status::Ok) {
        reportDobFailure(path, picture, err);
        return false;
    }
    out << output::escapedForTerminal(path.string()) << ": dob ";
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

namespace {

// Read only where its name or --size says it is a DOB: a DOB has no
// signature, and any file whose length happens to fit a size would
// otherwise be drawn, and its PNG written over a picture of that name.
std::optional<std::string> inputRefusal(const fs::path& file, std::optional<output::Size> size)
{
    if (size || isDobName(file))
        return std::nullopt;
    return std::string("is read as a DOB only with --size WxH: its name does not end in .dob");
}

void reportRefusal(const fs::path& path, const std::string& reason, std::ostream& err)
{
    err << "pelkora: " << output::escapedForTerminal(path.string()) << ": " << output::escapedForTerminal(reason)
        << "\n";
}

fs::path pngPathOf(const fs::path& file, const std::optional<fs::path>& folder)
{
    fs::path png = file.stem();
    png += ".png";
    return (folder ? *folder : file.parent_path()) / png;
}

bool renderOne(const fs::path& file, std::optional<output::Size> size, const std::optional<fs::path>& folder,
               output::RunOutputs& outputs, bool quiet, std::ostream& out, std::ostream& err)
{
    if (const auto refused = inputRefusal(file, size)) {
        reportRefusal(file, *refused, err);
        return false;
    }
    const output::DobPicture picture = output::readDobFile(file, size);
    if (picture.outcome.status != Status::Ok) {
        reportDobFailure(file, picture, err);
        return false;
    }
    const fs::path png = pngPathOf(file, folder);
    if (const auto refused = outputs.refusal(png)) {
        reportRefusal(png, "not written for " + file.string() + ": it " + *refused, err);
        return false;
    }
    std::error_code cause;
    if (!savePng(deviceGreyPicture(picture), png, cause)) {
        reportRefusal(png, outcomeText(Outcome(Status::CannotWrite, cause)), err);
        return false;
    }
    outputs.written(png, file);
    if (!quiet)
        out << output::escapedForTerminal(png.string()) << " written\n";
    return true;
}

}  // namespace

int renderDobs(const std::vector<fs::path>& files, std::optional<output::Size> size,
               const std::optional<fs::path>& folder, bool quiet, std::ostream& out, std::ostream& err)
{
    if (folder) {
        // The folder itself when it is still to be made, else what goes in it.
        const std::vector<fs::path> packages{fs::path(output::kOutputFolderName)};
        auto refused = output::placeRefusal(*folder, packages);
        if (!refused)
            refused = output::placeRefusal(*folder / "x.png", packages);
        if (refused) {
            reportRefusal(*folder, *refused, err);
            return 1;
        }
        std::error_code error;
        if (!fs::is_directory(*folder, error) && !fs::create_directory(*folder, error)) {
            reportRefusal(*folder, outcomeText(Outcome(Status::CannotCreateFolder, error)), err);
            return 1;
        }
    }
    output::RunOutputs outputs(files);
    bool allDrawn = true;
    // A request to stop ends the run between two pictures, never inside one.
    for (std::size_t i = 0; i < files.size() && platform::interruption() == 0; ++i)
        allDrawn = renderOne(files[i], size, folder, outputs, quiet, out, err) && allDrawn;
    return allDrawn ? 0 : 1;
}

namespace {

// The command that removes a file, as the user's shell takes it.
std::string removalCommand(const fs::path& file)
{
#ifdef _WIN32
    return "del \"" + file.string() + "\"";
#else
    std::string quoted = "rm -- '";
    for (const char c : file.string())
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

}  // namespace

output::FolderLock lockForReading(const fs::path& folder, std::ostream& err)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return {};
    return output::FolderLock(
            folder,
            [&] {
                err << "pelkora: waiting for another pelkora writing " << output::escapedForTerminal(folder.string())
                    << "\n"
                    << std::flush;
            },
            platform::LockSharing::Shared);
}

int checkPackage(const fs::path& folder, const std::optional<output::Size>& screen, std::ostream& out,
                 std::ostream& err)
{
    const output::FolderLock reading = lockForReading(folder, err);
    const output::PackageCheck check = output::checkPackage(folder, screen);
    if (!check.folderFound) {
        err << "pelkora: " << output::escapedForTerminal(folder.string()) << ": no such folder\n";
        return 1;
    }
    std::size_t faults = 0;
    for (const output::Finding& finding : check.findings) {
        if (finding.outcome.failed())
            ++faults;
        if (finding.outcome.severity == Severity::Note)
            out << "note: ";
        else if (finding.outcome.severity == Severity::Warning)
            out << "warning: ";
        if (finding.name.empty()) {
            out << output::escapedForTerminal((folder / output::kPlaylistFileName).string()) << ":" << finding.line
                << ": " << statusText(finding.outcome.status) << ": \"" << output::escapedForTerminal(finding.outcome.detail) << "\"\n";
            continue;
        }
        out << output::escapedForTerminal((folder / finding.name).string()) << ": " << statusText(finding.outcome.status);
        if (finding.outcome.status == Status::LeftByInterruption)
            out << " (a run that writes the package removes it, or: "
                << output::escapedForTerminal(removalCommand(folder / finding.name)) << ")";
        if (!finding.outcome.detail.empty())
            out << " (" << output::escapedForTerminal(finding.outcome.detail) << ")";
        if (finding.line != 0)
            out << ", line " << finding.line;
        out << "\n";
    }
    out << output::escapedForTerminal(folder.string()) << ": " << check.files << " file" << (check.files == 1 ? "" : "s") << ", " << check.lines
        << " line" << (check.lines == 1 ? "" : "s") << ", loop " << secondsText(check.loopMilliseconds) << " s: ";
    if (faults == 0) {
        out << "sound\n";
    } else {
        out << faults << " fault" << (faults == 1 ? "" : "s") << "\n";
    }
    return faults == 0 ? 0 : 1;
}

}  // namespace pelkora::cli
