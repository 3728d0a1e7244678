#pragma once
// The conversion commands shared by the dialog and the headless command line:
// the start-up batch over a source folder, Add for one file, DeleteAll.

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "output/status.h"
#include "output/text_pager.h"

namespace pelkora::picture {
class AnimatedPicture;
struct CaptureEvent;
}

namespace pelkora::app {

struct Failure {
    std::filesystem::path input;
    std::string reason;
};

// What a run produced, for the summary and the exit status. Filled from the
// UI thread and from an animation's worker, hence the lock.
class ConversionReport {
public:
    void inputConverted();
    void fileWritten(int count = 1);
    void failed(const std::filesystem::path& input, std::string reason);
    int inputsConverted() const;
    int filesWritten() const;
    std::vector<Failure> failures() const;

private:
    mutable std::mutex mutex_;
    int inputsConverted_ = 0;
    int filesWritten_ = 0;
    std::vector<Failure> failures_;
};

struct ConversionOptions {
    output::TextPagerOptions pager;
    // Shown for a text that cannot be opened ("Cant find file!").
    std::function<void(const std::filesystem::path&)> cantFindFile;
    // Called after every input of a batch: done, found.
    std::function<void(int done, int found)> progress;
    // Every DOB file attempted, on the capturing thread (an animation's
    // worker for its frames).
    std::function<void(const picture::CaptureEvent&)> captured;
};

// The entries of folder whose extension matches (case-insensitively),
// ordered by their upper-cased names byte by byte; folders that match are
// listed like files; subfolders are not entered.
std::vector<std::filesystem::path> listMatching(const std::filesystem::path& folder,
                                                std::string_view extension);

class Converter {
public:
    Converter(picture::AnimatedPicture& pictureControl, std::filesystem::path workDirectory,
              ConversionOptions options, ConversionReport& report);
    // Completes an animation still being captured, at once, then lets go of the
    // control's capture listener.
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The start-up batch: every "*.bmp" through the picture control, then
    // every "*.txt" through the text pager.
    void convertFolder(const std::filesystem::path& sourceFolder);
    // Add: a picture when it loads as one (true), else a text (false).
    bool addFile(const std::filesystem::path& path);
    // Pages one text file.
    void pageTextFile(const std::filesystem::path& path);
    // DeleteAll: ends a running capture, then empties the output folder;
    // the number of files deleted.
    int deleteAll();

    const std::filesystem::path& workDirectory() const { return workDirectory_; }

private:
    bool convertPicture(const std::filesystem::path& path);

    picture::AnimatedPicture& pictureControl_;
    std::filesystem::path workDirectory_;
    ConversionOptions options_;
    ConversionReport& report_;
};

}  // namespace pelkora::app
