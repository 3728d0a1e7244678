#include "app/conversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>

#include "output/ascii.h"
#include "output/output_file.h"
#include "output/playlist.h"
#include "picture/animated_picture.h"

namespace pelkora::app {

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

void ConversionReport::failed(const fs::path& input, std::string reason)
{
    std::lock_guard lock(mutex_);
    failures_.push_back({input, std::move(reason)});
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

std::vector<Failure> ConversionReport::failures() const
{
    std::lock_guard lock(mutex_);
    return failures_;
}

namespace {

bool endsWithCaseInsensitive(const std::string& name, std::string_view extension)
{
    if (name.size() < extension.size()) return false;
    return output::equalsIgnoringAsciiCase(std::string_view(name).substr(name.size() - extension.size()),
                                           extension);
}

// Whether an input can be read as a file at all, before it is tried as a
// picture or a text: "Cant find file!" is kept for a file that is not there.
Outcome inputFileState(const fs::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        const std::error_code cause(errno, std::generic_category());
        if (cause.value() == ENOENT || cause.value() == ENOTDIR)
            return Status::CantFindFile;
        return Outcome(Status::CannotRead, cause);
    }
    if (S_ISDIR(info.st_mode)) return Status::IsAFolder;
    // A pipe waits for a writer that may never come, a device may never end.
    if (!S_ISREG(info.st_mode)) return Status::NotARegularFile;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Outcome(Status::CannotRead, std::error_code(errno, std::generic_category()));
    ::close(fd);
    return Status::Ok;
}

}  // namespace

std::vector<fs::path> listMatching(const fs::path& folder, std::string_view extension)
{
    std::vector<std::pair<std::string, fs::path>> found;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) return {};
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error) break;
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
        if (a.first != b.first) return a.first < b.first;
        return a.second.filename().string() < b.second.filename().string();
    });
    std::vector<fs::path> paths;
    paths.reserve(found.size());
    for (auto& entry : found) paths.push_back(std::move(entry.second));
    return paths;
}

Converter::Converter(picture::AnimatedPicture& pictureControl, fs::path workDirectory,
                     ConversionOptions options, ConversionReport& report)
    : pictureControl_(pictureControl),
      workDirectory_(std::move(workDirectory)),
      options_(std::move(options)),
      report_(report)
{
    // Captures of an animation arrive on its worker thread; the report locks.
    pictureControl_.setCaptureListener([this](const picture::CaptureEvent& event) {
        if (event.status == Status::Ok) {
            report_.fileWritten();
            if (animationPending_.exchange(false)) report_.inputConverted();
        } else {
            report_.failed(shown(event.dobPath), outcomeText(Outcome(event.status, event.cause)));
        }
    });
}

Converter::~Converter()
{
    // Frames not yet drawn are still written, at once, before the listener
    // that counts them goes away.
    pictureControl_.CompletePass();
    pictureControl_.setCaptureListener({});
}

fs::path Converter::shown(const fs::path& path) const
{
    const fs::path relative = path.lexically_relative(workDirectory_);
    if (relative.empty() || *relative.begin() == "..") return path;
    return relative;
}

output::FolderLock Converter::lockOutputFolder(bool create)
{
    const fs::path folder = output::outputFolderPath(workDirectory_);
    if (create) {
        const Outcome made = output::ensureOutputFolder(folder);
        if (!made.ok()) {
            report_.failed(shown(folder), outcomeText(made));
            return {};
        }
    } else {
        std::error_code error;
        if (!fs::is_directory(folder, error)) return {};
    }
    output::FolderLock lock(folder, options_.waitingForFolder);
    if (!lock.held()) {
        report_.failed(shown(folder), outcomeText(lock.outcome()));
        return lock;
    }
    // Whoever left these is gone: every writer holds this lock.
    output::removeLeftoverTemporaries(folder);
    return lock;
}

bool Converter::checkSourceFolder(const fs::path& sourceFolder)
{
    const Outcome checked = output::checkSourceFolder(sourceFolder, output::outputFolderPath(workDirectory_));
    if (checked.ok()) return true;
    // "No such file or directory" would only repeat "no such folder".
    report_.failed(sourceFolder, checked.status == Status::NoSuchFolder ? statusText(checked.status)
                                                                        : outcomeText(checked));
    return false;
}

void Converter::reportDeleteFailure(const fs::path& path, const Outcome& outcome)
{
    report_.failed(shown(path), outcomeText(outcome));
}

bool Converter::prepareOutputFolder()
{
    const fs::path folder = output::outputFolderPath(workDirectory_);
    const Outcome prepared = output::prepareOutputFolder(
        folder, [this](const fs::path& path, const Outcome& outcome) { reportDeleteFailure(path, outcome); });
    // Files that stay are reported one by one; the batch still goes on.
    if (prepared.status != Status::CannotCreateFolder) return true;
    report_.failed(shown(folder), outcomeText(prepared));
    return false;
}

void Converter::convertFolder(const fs::path& sourceFolder)
{
    const std::vector<fs::path> pictures = listMatching(sourceFolder, ".bmp");
    const std::vector<fs::path> texts = listMatching(sourceFolder, ".txt");
    const int found = static_cast<int>(pictures.size() + texts.size());
    int done = 0;
    auto progress = [&] {
        ++done;
        if (options_.progress) options_.progress(done, found);
    };

    // A "*.bmp" entry that does not load is skipped: no fall-back to texts.
    for (const fs::path& path : pictures) {
        const Outcome state = inputFileState(path);
        if (!state.ok()) {
            report_.failed(path, outcomeText(state));
        } else if (convertPicture(path, options_.pauseAfterPicture) == PictureResult::NotAPicture) {
            report_.failed(path, statusText(pictureControl_.lastStatus()));
        }
        progress();
    }
    for (const fs::path& path : texts) {
        pageTextFile(path);
        progress();
    }
}

void Converter::addFile(const fs::path& path)
{
    const Outcome state = inputFileState(path);
    if (!state.ok()) {
        if (state.status == Status::CantFindFile && options_.cantFindFile) options_.cantFindFile(path);
        report_.failed(path, outcomeText(state));
        return;
    }
    // Picture or text is decided by whether the file loads, never by its name.
    if (convertPicture(path, std::chrono::milliseconds(0)) == PictureResult::NotAPicture) pageTextFile(path);
}

Converter::PictureResult Converter::convertPicture(const fs::path& path, std::chrono::milliseconds pause)
{
    if (pictureControl_.LoadFile(path) != 1) return PictureResult::NotAPicture;
    // The load completed the pass of any earlier animation, so the flag is
    // this picture's alone. An animation counts when its first frame is in
    // place, a still picture when its file is; a failed write is reported
    // by the capture listener.
    const bool animation = pictureControl_.CountAnimationFrames() > 0;
    animationPending_ = animation;
    const bool shownAndWritten = pictureControl_.ShowPicture() == 1;
    if (!animation && !shownAndWritten) return PictureResult::Failed;
    if (!animation) report_.inputConverted();
    if (pause.count() > 0) std::this_thread::sleep_for(pause);
    return PictureResult::Converted;
}

void Converter::pageTextFile(const fs::path& path)
{
    const Outcome state = inputFileState(path);
    if (!state.ok()) {
        if (state.status == Status::CantFindFile && options_.cantFindFile) options_.cantFindFile(path);
        report_.failed(path, outcomeText(state));
        return;
    }
    const output::PagerResult result = output::pageTextFile(path, workDirectory_, options_.pager);
    report_.fileWritten(result.pagesWritten);
    if (result.status == Status::CantFindFile && options_.cantFindFile) options_.cantFindFile(path);
    if (result.status != Status::Ok) {
        report_.failed(path, outcomeText(Outcome(result.status, result.cause)));
        return;
    }
    if (result.pagesSkipped > 0) {
        std::string reason = std::string(statusText(Status::CannotWrite)) + " " +
                             std::to_string(result.pagesSkipped) + " of its pages";
        if (result.cause) reason += ": " + result.cause.message();
        report_.failed(path, std::move(reason));
        return;
    }
    // Only a text whose every page and line is in place is converted.
    report_.inputConverted();
}

void Converter::deleteAll()
{
    // The capture of an animation still in its pass ends first, so nothing
    // of it lands in the folder after the wipe.
    pictureControl_.EndCapture();
    const fs::path folder = output::outputFolderPath(workDirectory_);
    std::error_code error;
    if (!fs::is_directory(folder, error)) return;
    const output::DeletionCount count = output::deleteFolderContents(
        folder, [this](const fs::path& path, const Outcome& outcome) { reportDeleteFailure(path, outcome); });
    report_.filesDeleted(count.deleted);
}

}  // namespace pelkora::app
