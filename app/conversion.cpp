#include "app/conversion.h"

#include <algorithm>
#include <system_error>

#include "output/ascii.h"
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

// Files (and links) at every depth; links to folders are not followed.
int countFiles(const fs::path& folder)
{
    int count = 0;
    std::error_code error;
    fs::recursive_directory_iterator entries(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
        if (!entries->is_directory(error) || entries->is_symlink(error)) ++count;
    }
    return count;
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
        } else {
            report_.failed(event.dobPath, statusText(event.status));
        }
        if (options_.captured) options_.captured(event);
    });
}

Converter::~Converter()
{
    // Frames not yet drawn are still written, at once, before the listener
    // that counts them goes away.
    pictureControl_.CompletePass();
    pictureControl_.setCaptureListener({});
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
    // No pause between pictures: the next load completes an animation's
    // capture itself, which is all a pause would have waited for.
    for (const fs::path& path : pictures) {
        if (!convertPicture(path)) {
            report_.failed(path, statusText(pictureControl_.lastStatus()));
        }
        progress();
    }
    for (const fs::path& path : texts) {
        pageTextFile(path);
        progress();
    }
}

bool Converter::addFile(const fs::path& path)
{
    // Picture or text is decided by whether the file loads, never by its name.
    if (convertPicture(path)) return true;
    pageTextFile(path);
    return false;
}

bool Converter::convertPicture(const fs::path& path)
{
    if (pictureControl_.LoadFile(path) != 1) return false;
    report_.inputConverted();
    pictureControl_.ShowPicture();
    return true;
}

void Converter::pageTextFile(const fs::path& path)
{
    const output::PagerResult result = output::pageTextFile(path, workDirectory_, options_.pager);
    report_.fileWritten(result.pagesWritten);
    if (result.status == Status::CantFindFile && options_.cantFindFile) options_.cantFindFile(path);
    // Pages that reached the folder count even when their lines did not;
    // the missing lines are a failure of their own.
    if (result.pagesWritten > 0) report_.inputConverted();
    if (result.status != Status::Ok) {
        report_.failed(path, statusText(result.status));
        return;
    }
    if (result.pagesSkipped > 0) {
        report_.failed(path, std::string(statusText(Status::CannotWrite)) + " " +
                                 std::to_string(result.pagesSkipped) + " of its pages");
    }
}

int Converter::deleteAll()
{
    // The capture of an animation still in its pass ends first, so nothing
    // of it lands in the folder after the wipe.
    pictureControl_.EndCapture();
    const fs::path folder = output::outputFolderPath(workDirectory_);
    std::error_code error;
    if (!fs::is_directory(folder, error)) return 0;
    const int before = countFiles(folder);
    output::deleteFolderContents(folder);
    return before - countFiles(folder);
}

}  // namespace pelkora::app
