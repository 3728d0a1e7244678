#include "session/conversion.h"
#include "session/ordered_work.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "output/ascii.h"
#include "output/names.h"
#include "output/non_text.h"
#include "output/output_file.h"
#include "output/output_folder.h"
#include "output/previous_package.h"
#include "output/playlist.h"
#include "picture/animated_picture.h"

namespace pelkora::session {

namespace fs = std::filesystem;

void ConversionReport::inputConverted()
{
    std::lock_guard lock(mutex_);
    ++inputsConverted_;
}

void ConversionReport::fileWritten(int count)
{
    std::lock_guard lock(mutex_);
    filesWritten_ += count;
}


void ConversionReport::filesDeleted(int count)
{
    std::lock_guard lock(mutex_);
    filesDeleted_ += count;
}

int ConversionReport::filesDeleted() const
{
    std::lock_guard lock(mutex_);
    return filesDeleted_;
}

int ConversionReport::inputsConverted() const
{
    std::lock_guard lock(mutex_);
    return inputsConverted_;
}

int ConversionReport::filesWritten() const
{
    std::lock_guard lock(mutex_);
    return filesWritten_;
}

std::vector<ReportEntry> ConversionReport::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

void ConversionReport::record(const fs::path& input, Outcome outcome)
{
    std::lock_guard lock(mutex_);
    if (outcome.severity == Severity::Error) {
        failures_.push_back({input, std::move(outcome)});
        return;
    }
    const std::string text = outcomeText(outcome);
    for (const ReportEntry& known : warnings_)
        if (known.input == input && known.reason() == text)
            return;
    warnings_.push_back({input, std::move(outcome)});
}

std::vector<ReportEntry> ConversionReport::warnings() const
{
    std::lock_guard lock(mutex_);
    return warnings_;
}

std::string ReportEntry::text() const
{
    if (input.empty() && outcome.severity != Severity::Error)
        return reason();
    return outcomeText(outcome.prefixed(input.string()));
}

namespace {

bool endsWithCaseInsensitive(const std::string& name, std::string_view extension)
{
    if (name.size() < extension.size())
        return false;
    return output::equalsIgnoringAsciiCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

// Failures of a file that announced itself as a picture: it is no text, and
// paging its bytes would put garbage into the package as if all were well.
bool isPictureFailure(Status status)
{
    switch (status) {
    case Status::BrokenPicture:
    case Status::NoFrames:
    case Status::EmptySurface:
    case Status::SurfaceTooLarge:
    case Status::FramesTooLarge:
    case Status::OutputTooLarge:
        return true;
    default:
        return false;
    }
}

// The workers that decode ahead: as asked, else PELKORA_WORKERS (for tests
// and measurements), else one per core.
int workerCount(int asked)
{
    if (asked > 0)
        return asked;
    if (const char* text = std::getenv("PELKORA_WORKERS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && value > 0 && value <= 256)
            return static_cast<int>(value);
    }
    return resolvedWorkerCount(0);
}

}  // namespace

std::vector<fs::path> listMatching(const fs::path& folder, std::string_view extension)
{
    std::vector<std::pair<std::string, fs::path>> found;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error)
        return {};
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error)
            break;
        std::string name = entries->path().filename().string();
        if (endsWithCaseInsensitive(name, extension)) {
            // Upper-cased byte by byte: the order in which the folder search this
            // stands for lists a folder.
            found.emplace_back(output::asciiUpper(name), entries->path());
        }
    }
    // Ties (names equal but for case) fall back to the bytes themselves, so
    // the same folder always gives the same playlist.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.second.filename().string() < b.second.filename().string();
    });
    std::vector<fs::path> paths;
    paths.reserve(found.size());
    for (auto& entry : found)
        paths.push_back(std::move(entry.second));
    return paths;
}

Converter::Converter(picture::AnimatedPicture& pictureControl, fs::path workDirectory, ConversionOptions options,
                     ConversionReport& report)
        : pictureControl_(pictureControl), workDirectory_(std::move(workDirectory)), options_(std::move(options)),
          report_(report)
{
}

void Converter::captured(const picture::CaptureEvent& event)
{
    // The report locks: this may run beside the thread that loads.
    if (event.outcome.ok()) {
        report_.fileWritten();
        if (animationPending_.exchange(false))
            report_.inputConverted();
    } else {
        report_.record(shown(event.dobPath), event.outcome);
    }
    // The warnings name what they are about themselves.
    for (const Outcome& warning : event.warnings)
        report_.record({}, warning);
    if (options_.captured)
        options_.captured(event);
}

fs::path Converter::shown(const fs::path& path) const
{
    const fs::path relative = path.lexically_relative(workDirectory_);
    if (relative.empty() || *relative.begin() == "..")
        return path;
    return relative;
}

output::FolderLock Converter::lockOutputFolder(bool create)
{
    const fs::path folder = output::outputFolderPath(workDirectory_);
    if (create) {
        const Outcome made = output::ensureOutputFolder(folder);
        if (!made.ok()) {
            report_.record(shown(folder), made);
            return {};
        }
    } else {
        std::error_code error;
        if (!fs::is_directory(folder, error))
            return {};
    }
    output::FolderLock lock(folder, options_.waitingForFolder);
    if (!lock.held()) {
        report_.record(shown(folder), lock.outcome());
        return lock;
    }
    // Whoever left these is gone: every writer holds this lock.
    output::removeLeftoverTemporaries(folder);
    return lock;
}

bool Converter::checkSourceFolder(const fs::path& sourceFolder)
{
    const Outcome checked = output::checkSourceFolder(sourceFolder, output::outputFolderPath(workDirectory_));
    if (checked.ok())
        return true;
    // "No such file or directory" would only repeat "no such folder".
    report_.record(sourceFolder, checked.status == Status::NoSuchFolder ? Outcome(checked.status) : checked);
    return false;
}

void Converter::reportDeleteFailure(const fs::path& path, const Outcome& outcome)
{
    report_.record(shown(path), outcome);
}

bool Converter::prepareOutputFolder()
{
    const fs::path folder = output::outputFolderPath(workDirectory_);
    const auto onFailure = [this](const fs::path& path, const Outcome& outcome) { reportDeleteFailure(path, outcome); };
    std::error_code error;
    const Outcome prepared = options_.keepPrevious && fs::is_directory(folder, error)
                                     ? output::keepAsPrevious(folder, onFailure).outcome
                                     : output::prepareOutputFolder(folder, onFailure);
    // Files that stay are reported one by one; the batch still goes on.
    if (prepared.status != Status::CannotCreateFolder)
        return true;
    report_.record(shown(folder), prepared);
    return false;
}

void Converter::convertFolder(const fs::path& sourceFolder, const std::function<void(int done, int found)>& progress)
{
    writtenThisRun_.clear();
    const std::vector<fs::path> pictures = listMatching(sourceFolder, ".bmp");
    const std::vector<fs::path> texts = listMatching(sourceFolder, ".txt");
    const int found = static_cast<int>(pictures.size() + texts.size());
    int done = 0;
    auto inputDone = [&] {
        ++done;
        if (progress)
            progress(done, found);
    };

    // Read and decoded ahead on the workers; loaded, claimed, captured and
    // reported here in the listed order, so the package is the same for any
    // number of workers.
    const picture::LoadLimits limits = pictureControl_.limits();
    OrderedWork<DecodedInput> decoded(
            pictures.size(), [&](std::size_t i) { return decodeInput(pictures[i], limits); },
            workerCount(options_.workers), decodedBytes, limits.frameBytes);
    // A "*.bmp" entry that does not load is skipped: no fall-back to texts.
    // No pause between pictures: the next load completes an animation's
    // capture itself, which is all a pause would have waited for.
    for (std::size_t i = 0; i < pictures.size() && !stopRequested(); ++i) {
        const fs::path& path = pictures[i];
        DecodedInput input = decoded.take(i);
        if (!input.file.state.ok()) {
            report_.record(path, input.file.state);
        } else if (const Converted converted = convertPicture(path, std::move(input.loaded));
                   converted.outcome == PictureOutcome::NotLoaded) {
            report_.record(path, converted.load.outcome);
        }
        inputDone();
    }
    const std::uint64_t largestText = limits.fileBytes;
    for (const fs::path& path : texts) {
        if (stopRequested())
            return;
        pageText(path, output::readInput(path, largestText));
        inputDone();
    }
}

std::uint64_t Converter::decodedBytes(const DecodedInput& input)
{
    return input.loaded.picture.heldBytes() + input.file.bytes.size();
}

Converter::DecodedInput Converter::decodeInput(const fs::path& path, const picture::LoadLimits& limits)
{
    DecodedInput input{output::readInput(path, limits.fileBytes), {}, {}};
    if (!input.file.state.ok())
        return input;
    input.loaded = picture::LoadPictureFile(path, input.file.bytes, limits);
    // A picture, loaded or refused, holds what it needs itself; released
    // here, the buffer serves this worker's next read.
    if (input.loaded.outcome.ok() || isPictureFailure(input.loaded.outcome.status()))
        input.file.bytes = output::ReadBuffer();
    return input;
}

Converter::DecodedInput Converter::decodeAddition(const fs::path& path, const picture::LoadLimits& limits)
{
    const output::InputBytes head = output::readInputFile(path, output::kNonTextHeadBytes);
    if (head.outcome.ok() && !picture::HasPictureSignature(head.bytes.data(), head.bytes.size())) {
        std::error_code ignored;
        const std::uintmax_t length = fs::file_size(path, ignored);
        DecodedInput input{{}, {}, output::whyNotAText(head.bytes.text(), length, path)};
        if (!input.notAText.empty())
            return input;
    }
    return decodeInput(path, limits);
}

Converter::Added Converter::addFile(const fs::path& path, AddRun run)
{
    if (run == AddRun::New)
        writtenThisRun_.clear();
    return addDecoded(path, decodeAddition(path, pictureControl_.limits()));
}

void Converter::addFiles(const std::vector<fs::path>& paths)
{
    writtenThisRun_.clear();
    const picture::LoadLimits limits = pictureControl_.limits();
    OrderedWork<DecodedInput> decoded(
            paths.size(), [&](std::size_t i) { return decodeAddition(paths[i], limits); },
            workerCount(options_.workers), decodedBytes, limits.frameBytes);
    for (std::size_t i = 0; i < paths.size() && !stopRequested(); ++i)
        addDecoded(paths[i], decoded.take(i));
}

bool Converter::wasRead(const fs::path& path, const Outcome& state)
{
    if (state.ok())
        return true;
    if (state.status == Status::CantFindFile && options_.cantFindFile)
        options_.cantFindFile(path);
    report_.record(path, state);
    return false;
}

Converter::Added Converter::addDecoded(const fs::path& path, DecodedInput input)
{
    if (!input.notAText.empty()) {
        refuse(path, Outcome(Status::NotPictureOrText, input.notAText));
        return {true, Outcome(Status::NotAPicture)};
    }
    if (!wasRead(path, input.file.state))
        return {};
    // Picture or text is decided by what the file holds, never by its name.
    const Converted converted = convertPicture(path, std::move(input.loaded));
    if (converted.outcome != PictureOutcome::NotLoaded)
        return {true, converted.load.outcome};
    if (isPictureFailure(converted.load.status())) {
        refuse(path, converted.load.outcome);
        return {true, converted.load.outcome};
    }
    pageText(path, input.file);
    return {false, converted.load.outcome};
}

void Converter::refuse(const fs::path& input, const Outcome& reason)
{
    report_.record(input, reason);
    if (options_.refused)
        options_.refused(ReportEntry{input, reason});
}

Outcome Converter::claimOutputNames(const fs::path& input, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        if (const std::optional<char> c = output::characterThePlaylistCannotCarry(name)) {
            return {Status::OutputNameRefused, "its output name \"" + output::escapedForTerminal(name)
                                                       + "\" would hold " + output::describeCharacter(*c)
                                                       + ", which a playlist line cannot carry"};
        }
        const auto earlier = writtenThisRun_.find(name);
        if (earlier != writtenThisRun_.end()) {
            return {Status::OutputNameRefused,
                    "its output name \"" + output::escapedForTerminal(name) + "\" was already written by "
                            + output::escapedForTerminal(earlier->second.string()) + " in this run; that file stays"};
        }
    }
    for (const std::string& name : names)
        writtenThisRun_.emplace(name, input);
    return Status::Ok;
}

Converter::Converted Converter::convertPicture(const fs::path& path, picture::LoadResult loaded)
{
    Converted converted{PictureOutcome::NotLoaded, pictureControl_.LoadDecoded(std::move(loaded))};
    if (!converted.load.ok())
        return converted;
    if (const Outcome claimed = claimOutputNames(path, pictureControl_.plannedOutputNames()); !claimed.ok()) {
        refuse(path, claimed);
        converted.outcome = PictureOutcome::Refused;
        return converted;
    }
    for (const std::string& message : converted.load.messages)
        report_.record(path, Outcome(Status::DecoderSaid, message));
    // The load completed the pass of any earlier animation, so the flag is
    // this picture's alone. An animation counts when its first frame is in
    // place, a still picture when its file is; a failed write is reported
    // by the capture listener.
    const bool animation = pictureControl_.CountAnimationFrames() > 0;
    animationPending_ = animation;
    const bool shownAndWritten = pictureControl_.ShowPicture().stillWritten();
    if (!animation && !shownAndWritten) {
        converted.outcome = PictureOutcome::Failed;
        return converted;
    }
    if (!animation)
        report_.inputConverted();
    converted.outcome = PictureOutcome::Converted;
    return converted;
}

void Converter::pageTextFile(const fs::path& path)
{
    writtenThisRun_.clear();
    pageText(path, output::readInput(path, pictureControl_.limits().fileBytes));
}

void Converter::pageText(const fs::path& path, const output::InputFile& file)
{
    if (!wasRead(path, file.state))
        return;
    // Every page of a text begins with its first; its name stands for all.
    const std::string firstPage = output::textPageFileName(output::pageNameOf(path), 1);
    if (const Outcome claimed = claimOutputNames(path, {firstPage}); !claimed.ok()) {
        refuse(path, claimed);
        return;
    }
    // Claimed only for pages that land; a text that gives none leaves the
    // name free.
    writtenThisRun_.erase(firstPage);
    const output::PagerResult result = output::pageText(file.bytes.text(), path, workDirectory_, options_.pager);
    if (result.pagesWritten > 0)
        writtenThisRun_.emplace(firstPage, path);
    if (result.zeroByteOffset)
        report_.record(path, Outcome(Status::ZeroByteEnds, std::to_string(*result.zeroByteOffset)));
    if (result.notInCharset)
        report_.record(path, Outcome(Status::NotInCharset, *result.notInCharset));
    report_.fileWritten(result.pagesWritten);
    if (!result.outcome.ok()) {
        report_.record(path, result.outcome);
        return;
    }
    // Only a text whose every page and line is in place is converted.
    report_.inputConverted();
}

int Converter::deleteAll()
{
    const fs::path folder = output::outputFolderPath(workDirectory_);
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return 0;
    const auto onFailure = [this](const fs::path& path, const Outcome& outcome) { reportDeleteFailure(path, outcome); };
    if (options_.keepPrevious) {
        const output::KeptPackage kept = output::keepAsPrevious(folder, onFailure);
        if (!kept.outcome.ok())
            report_.record(shown(folder), kept.outcome);
        report_.filesDeleted(kept.files);
        return kept.files;
    }
    const output::DeletionCount count = output::deleteFolderContents(folder, onFailure);
    report_.filesDeleted(count.deleted);
    return count.deleted;
}

}  // namespace pelkora::session
