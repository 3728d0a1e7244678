#pragma once
// The conversion commands shared by the dialog and the headless command line:
// the start-up batch over a source folder, Add for one file, DeleteAll.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/status.h"
#include "output/folder_lock.h"
#include "output/input_file.h"
#include "output/text_pager.h"
#include "picture/picture_loader.h"

namespace pelkora::picture {
class AnimatedPicture;
struct CaptureEvent;
}  // namespace pelkora::picture

namespace pelkora::session {

// What the report says of one input (or of the output folder, or of a file
// written for an input).
struct ReportEntry {
    std::filesystem::path input;  // empty for a warning whose outcome names what it is about
    Outcome outcome;

    // The outcome in words, without the input.
    std::string reason() const { return outcomeText(outcome); }
    // "input: reason"; a warning about no one input is its reason alone.
    std::string text() const;
};

// What a run produced, for the summary and the exit status. Filled from the
// UI thread and from an animation's worker, hence the lock.
class ConversionReport {
public:
    void inputConverted();
    void fileWritten(int count = 1);
    void filesDeleted(int count);
    // A failure, or what was written as asked but perhaps not as meant (a
    // warning or a note; the same one twice is kept once), by its severity.
    void record(const std::filesystem::path& input, Outcome outcome);
    int inputsConverted() const;
    int filesWritten() const;
    int filesDeleted() const;
    // The failures alone decide how a run ended.
    std::vector<ReportEntry> failures() const;
    std::vector<ReportEntry> warnings() const;

private:
    mutable std::mutex mutex_;
    int inputsConverted_ = 0;
    int filesWritten_ = 0;
    int filesDeleted_ = 0;
    std::vector<ReportEntry> failures_;
    std::vector<ReportEntry> warnings_;
};

struct ConversionOptions {
    output::TextPagerOptions pager;
    // Shown for a text that cannot be opened ("Cant find file!").
    std::function<void(const std::filesystem::path&)> cantFindFile;
    // Shown for an input refused outright (a damaged picture, a name the
    // playlist cannot carry, a name already written in this run); the
    // failure is in the report as well.
    std::function<void(const ReportEntry&)> refused;
    // Every DOB file attempted, on the capturing thread (an animation's
    // worker for its frames).
    std::function<void(const picture::CaptureEvent&)> captured;
    // Called once when another run holds the output folder and this one
    // waits for it.
    std::function<void()> waitingForFolder;
    // Threads that read and decode the pictures of a batch or of a
    // multi-file Add ahead of the one that writes; 0: the number in the
    // environment variable PELKORA_WORKERS, else one per core.
    int workers = 0;
    // Emptying the output folder keeps what it held as the previous
    // package (output/previous_package.h) instead of deleting it.
    bool keepPrevious = true;
    // Asked before each input of a batch or a multi-file Add: true stops
    // the run there, every input before it written whole with its lines.
    std::function<bool()> stopRequested;
};

// The entries of folder whose extension matches (case-insensitively),
// ordered by their upper-cased names byte by byte; folders that match are
// listed like files; subfolders are not entered.
std::vector<std::filesystem::path> listMatching(const std::filesystem::path& folder, std::string_view extension);

class Converter {
public:
    Converter(picture::AnimatedPicture& pictureControl, std::filesystem::path workDirectory, ConversionOptions options,
              ConversionReport& report);
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Takes the output folder's lock for a writing run (creating the folder
    // first when create is set) and removes what a killed run left there.
    // Not held when the folder is missing (and not to be created) or the
    // lock failed; the failure is in the report.
    output::FolderLock lockOutputFolder(bool create);
    // Whether the run is to stop before its next input.
    bool stopRequested() const { return options_.stopRequested && options_.stopRequested(); }
    // Whether the source folder may be converted at all; the reason is in the
    // report when not. Checked before anything is emptied.
    bool checkSourceFolder(const std::filesystem::path& sourceFolder);
    // Empties (or creates) the output folder; every file that stays is in the
    // report. False when the folder is not there to write into.
    bool prepareOutputFolder();
    // The start-up batch: every "*.bmp" through the picture control, then
    // every "*.txt" through the text pager.
    // progress is called after every input: inputs done, inputs found.
    void convertFolder(const std::filesystem::path& sourceFolder,
                       const std::function<void(int done, int found)>& progress = {});
    // Add: a picture when it loads as one; a file that is recognisably a
    // picture but does not load is refused; anything else is a text. A new
    // run forgets the names written before; a continued one (the next of
    // several files chosen at once) refuses to write one of them again.
    enum class AddRun { New, Continued };
    struct Added {
        bool asPicture = false;  // taken as a picture (written or refused)
        Outcome pictureLoad;     // why it did not load as one, when it was tried
    };
    Added addFile(const std::filesystem::path& path, AddRun run = AddRun::New);
    // Add of several files as one run: a later file whose output name an
    // earlier one of them wrote is refused.
    void addFiles(const std::vector<std::filesystem::path>& paths);
    // Pages one text file.
    void pageTextFile(const std::filesystem::path& path);
    // DeleteAll: empties the output folder; the files deleted and every one
    // that stays are in the report. The number of files deleted.
    int deleteAll();
    // Every DOB file attempted, from the control's capture listener: an
    // animation's frames arrive on its writing thread.
    void captured(const picture::CaptureEvent& event);

    const std::filesystem::path& workDirectory() const { return workDirectory_; }
    // Whether texts paged from now on break their lines between words.
    void setWrapWords(bool on) { options_.pager.wrapWords = on; }

private:
    // An input as the decoding workers leave it: read and decoded, or why
    // not. The file's bytes stay only for the pager, when they are no picture.
    struct DecodedInput {
        output::InputFile file;
        picture::LoadResult loaded;
        std::string notAText;  // why an input that is no picture is no text either
    };
    // Touches nothing of the converter: it runs on the workers.
    static DecodedInput decodeInput(const std::filesystem::path& path, const picture::LoadLimits& limits);
    // decodeInput for Add, which would page what is no picture: a file that
    // is neither is told by its first bytes and never read whole.
    static DecodedInput decodeAddition(const std::filesystem::path& path, const picture::LoadLimits& limits);
    // What a decoded input holds in memory while it waits for the writer:
    // together no more than one picture may take.
    static std::uint64_t decodedBytes(const DecodedInput& input);
    enum class PictureOutcome { Converted, Refused, Failed, NotLoaded };
    struct Converted {
        PictureOutcome outcome;
        picture::LoadOutcome load;
    };
    Converted convertPicture(const std::filesystem::path& path, picture::LoadResult loaded);
    Added addDecoded(const std::filesystem::path& path, DecodedInput input);
    // Whether the input was read; the reason is shown and reported when not.
    bool wasRead(const std::filesystem::path& path, const Outcome& state);
    void pageText(const std::filesystem::path& path, const output::InputFile& file);
    // OutputNameRefused when these output names cannot be written for
    // input; when Ok they count as written by it from now on.
    Outcome claimOutputNames(const std::filesystem::path& input, const std::vector<std::string>& names);
    void refuse(const std::filesystem::path& input, const Outcome& reason);
    void reportDeleteFailure(const std::filesystem::path& path, const Outcome& outcome);
    // A path inside the work directory as the user sees it from there.
    std::filesystem::path shown(const std::filesystem::path& path) const;

    picture::AnimatedPicture& pictureControl_;
    std::filesystem::path workDirectory_;
    ConversionOptions options_;
    ConversionReport& report_;
    // Output names written in the current run and the input that wrote each.
    std::map<std::string, std::filesystem::path> writtenThisRun_;
    // Set while an animation's first frame is still to come, so its input
    // is counted once, when a frame of it is really in place.
    std::atomic<bool> animationPending_{false};
};

}  // namespace pelkora::session
