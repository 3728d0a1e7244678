#include "output/package_check.h"

#include "output/output_file.h"

#include <algorithm>
#include <map>
#include <set>

#include "output/ascii.h"
#include "output/dob_reader.h"
#include "output/input_file.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/readd.h"
#include "output/text_pagination.h"
#include "output/utf8.h"

namespace pelkora::output {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMaxPlaylistBytes = std::uint64_t{64} << 20;
// A page of 55 cells needs at most 165 bytes; reading more than this tells
// a page that is too long without holding a file of any size.
constexpr std::uint64_t kMaxPageBytes = 4096;
constexpr std::size_t kMaxDigits = 9;

bool hasExtension(std::string_view name, std::string_view extension)
{
    return name.size() > extension.size()
           && equalsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
}

// One code point of strict UTF-8 at bytes[at]: its length, or 0 when the
// bytes there are not UTF-8. units: its UTF-16 code units.
std::size_t utf8Sequence(std::string_view bytes, std::size_t at, int& units)
{
    const std::size_t length = utf8SequenceLength(bytes, at);
    units = length == 4 ? 2 : 1;
    return length;
}

// Byte offset of the first byte that is not UTF-8, or npos; cells as the
// pager counts them, of the last unit.
struct PageMeasure {
    std::size_t badOffset = std::string_view::npos;
    int cells = 0;
};

PageMeasure measurePage(std::string_view bytes)
{
    PageMeasure measure;
    int used = 0;
    for (std::size_t at = 0; at < bytes.size();) {
        int units = 0;
        const std::size_t length = utf8Sequence(bytes, at, units);
        if (length == 0) {
            measure.badOffset = at;
            return measure;
        }
        used += units;
        measure.cells = used;
        if (bytes[at] == '\n')
            used += kCellsPerLine - used % kCellsPerLine;
        at += length;
    }
    return measure;
}

}  // namespace

bool PackageCheck::sound() const
{
    return folderFound
           && std::none_of(findings.begin(), findings.end(), [](const Finding& f) { return f.outcome.failed(); });
}

PlaylistLine parsePlaylistLine(std::string_view line)
{
    PlaylistLine parsed;
    const std::size_t comma = line.rfind(',');
    if (comma == std::string_view::npos || comma == 0)
        return parsed;
    const std::string_view name = line.substr(0, comma);
    const std::string_view digits = line.substr(comma + 1);
    if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string_view::npos)
        return parsed;
    if (digits.empty() || digits.size() > kMaxDigits)
        return parsed;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return parsed;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    parsed.wellFormed = true;
    parsed.name = std::string(name);
    parsed.milliseconds = value;
    return parsed;
}

int pageCells(std::string_view bytes)
{
    const PageMeasure measure = measurePage(bytes);
    return measure.badOffset == std::string_view::npos ? measure.cells : -1;
}

Finding checkPage(std::string_view bytes)
{
    Finding finding;
    const PageMeasure measure = measurePage(bytes);
    if (measure.badOffset != std::string_view::npos) {
        finding.outcome = Outcome(Status::NotUtf8, "at byte " + std::to_string(measure.badOffset));
    } else if (measure.cells > kCellsPerPage) {
        finding.outcome = Outcome(Status::PageTooLong, std::to_string(measure.cells) + " cells");
    }
    return finding;
}

namespace {

// More links in a row than any system follows.
constexpr int kMaxLinkHops = 40;

// Whether path is a link whose file a copy of the folder to the device
// would not carry along: a copy keeps a link as a link, so each link on the
// way must name its target relatively, and the file reached must lie in
// the folder. target: what the link itself says.
bool leadsOutOf(const fs::path& folder, const fs::path& path, std::string& target)
{
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error)))
        return false;
    target = fs::read_symlink(path, error).string();
    fs::path hop = path;
    for (int hops = 0; hops < kMaxLinkHops && fs::is_symlink(fs::symlink_status(hop, error)); ++hops) {
        const fs::path next = fs::read_symlink(hop, error);
        if (error || next.is_absolute())
            return true;
        hop = hop.parent_path() / next;
    }
    const fs::path reached = fs::weakly_canonical(path, error);
    const fs::path home = fs::weakly_canonical(folder, error);
    if (error)
        return true;
    const fs::path inside = reached.lexically_relative(home);
    return inside.empty() || *inside.begin() == "..";
}

// A DOB the device cannot show as meant: a header that wrapped (no size
// below 256 fits), or, with a screen known, a picture larger than it.
Outcome checkDobSize(const fs::path& path, const std::optional<Size>& screen)
{
    const DobShape shape = inspectDobFile(path);
    if (!shape.outcome.ok())
        return shape.outcome;
    const auto unwrapped = std::find_if(shape.candidates.begin(), shape.candidates.end(), [](const Size& size) {
        return size.width <= kLargestFitSide && size.height <= kLargestFitSide;
    });
    if (unwrapped == shape.candidates.end()) {
        const Size stored{shape.candidates.front().width & 0xFF, shape.candidates.front().height & 0xFF};
        return Outcome(Status::DobHeaderWrapped,
                       candidatesText(shape.candidates) + " is stored as " + sizeText(stored));
    }
    if (screen && (unwrapped->width > screen->width || unwrapped->height > screen->height))
        return Outcome(Status::LargerThanScreen, sizeText(*unwrapped) + " on a " + sizeText(*screen) + " screen");
    return Status::Ok;
}

// What is wrong with the file a line names, if anything.
Finding checkNamedFile(const fs::path& folder, const std::string& name, const std::optional<Size>& screen)
{
    Finding finding;
    finding.name = name;
    const fs::path path = folder / name;
    if (std::string target; leadsOutOf(folder, path, target)) {
        finding.outcome = Outcome(Status::LinkOutOfPackage, "-> " + target);
        return finding;
    }
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        finding.outcome = Status::MissingFromPackage;
        return finding;
    }
    if (hasExtension(name, ".dob")) {
        finding.outcome = checkDobSize(path, screen);
    } else if (hasExtension(name, ".txt")) {
        const InputBytes page = readInputFile(path, kMaxPageBytes);
        if (!page.outcome.ok()) {
            finding.outcome = page.outcome;
        } else if (page.truncated) {
            finding.outcome = Outcome(Status::PageTooLong, "more than " + std::to_string(kMaxPageBytes) + " bytes");
        } else {
            finding.outcome =
                    checkPage(std::string_view(reinterpret_cast<const char*>(page.bytes.data()), page.bytes.size()))
                            .outcome;
        }
    }
    return finding;
}

// Non-folder entries of the folder by name; the playlist is not among them.
std::set<std::string> folderFiles(const fs::path& folder)
{
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (name != kPlaylistFileName)
            names.insert(name);
    }
    return names;
}

}  // namespace

PackageCheck checkPackage(const fs::path& folder, const std::optional<Size>& screen)
{
    PackageCheck check;
    std::error_code error;
    check.folderFound = fs::is_directory(folder, error);
    if (!check.folderFound)
        return check;
    const std::set<std::string> files = folderFiles(folder);
    check.files = files.size();

    const InputBytes playlist = readInputFile(playlistPath(folder), kMaxPlaylistBytes);
    if (!playlist.outcome.ok() || playlist.truncated) {
        Finding finding;
        finding.name = std::string(kPlaylistFileName);
        finding.outcome = playlist.truncated                                ? Outcome(Status::PlaylistTooLarge)
                          : playlist.outcome.status == Status::CantFindFile ? Outcome(Status::MissingFromPackage)
                                                                            : playlist.outcome;
        check.findings.push_back(finding);
        // Without a playlist every file would be "unnamed": one finding says it all.
        if (!playlist.outcome.ok())
            return check;
    }
    const std::string_view text(reinterpret_cast<const char*>(playlist.bytes.data()), playlist.bytes.size());

    std::map<std::string, std::vector<std::size_t>> linesOfName;
    std::vector<std::string> order;
    std::size_t lineNumber = 0;
    for (std::size_t at = 0; at < text.size();) {
        ++lineNumber;
        const std::size_t feed = text.find('\n', at);
        const bool torn = feed == std::string_view::npos;
        const std::string_view line = text.substr(at, torn ? std::string_view::npos : feed - at);
        at = torn ? text.size() : feed + 1;
        if (line.empty())
            continue;
        ++check.lines;
        const PlaylistLine parsed = parsePlaylistLine(line);
        if (torn || !parsed.wellFormed) {
            Finding finding;
            finding.outcome =
                    Outcome(torn ? Status::TornPlaylistLine : Status::BadPlaylistLine, std::string(line.substr(0, 80)));
            finding.line = lineNumber;
            check.findings.push_back(finding);
        }
        if (!parsed.wellFormed)
            continue;
        check.loopMilliseconds += parsed.milliseconds;
        std::vector<std::size_t>& lines = linesOfName[parsed.name];
        lines.push_back(lineNumber);
        if (lines.size() > 1)
            continue;
        Finding finding = checkNamedFile(folder, parsed.name, screen);
        if (!finding.outcome.ok()) {
            finding.line = lineNumber;
            check.findings.push_back(finding);
        }
        order.push_back(parsed.name);
    }

    for (Finding& stale : staleEntryFindings(text))
        check.findings.push_back(std::move(stale));
    for (const std::string& name : order) {
        const std::vector<std::size_t>& lines = linesOfName[name];
        if (lines.size() < 2)
            continue;
        std::string numbers = "lines";
        for (const std::size_t line : lines)
            numbers += ' ' + std::to_string(line);
        Finding note;
        note.outcome = Outcome(Status::NamedTwice, std::move(numbers));
        note.name = name;
        check.findings.push_back(note);
    }
    for (const std::string& name : files) {
        if (linesOfName.count(name) != 0)
            continue;
        Finding finding;
        // A writer's own file: the run that wrote it was stopped before it could be put in place or removed.
        finding.outcome = isTemporaryName(name) ? Status::LeftByInterruption : Status::NotInPlaylist;
        finding.name = name;
        check.findings.push_back(finding);
    }
    return check;
}

}  // namespace pelkora::output
