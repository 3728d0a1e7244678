#pragma once
// One result for every step of the core that can fail or has something to
// say (the GIF walk, the picture load, the output writers, a package
// check): a code, the system's cause, a detail and a severity, and one
// place that turns it into words, so that the dialog, the command line and
// the tests all speak of it the same way. Each level it passes on the way up
// may put what it knows in front ("anim-03.dob: cannot write: ...").

#include <string>
#include <system_error>
#include <utility>

namespace pelkora {

enum class Status {
    Ok = 0,
    CantFindFile,      // the input could not be opened at all
    CannotRead,        // opened, but reading it failed
    NotAPicture,       // no decoder took it
    BrokenPicture,     // recognisably a picture, but it does not decode
    NoFrames,          // a GIF in which no frame could be walked or decoded
    EmptySurface,      // a picture or logical screen of width or height 0
    SurfaceTooLarge,   // the surface would exceed the memory limit
    FramesTooLarge,    // the decoded frames together would exceed the memory limit
    FileTooLarge,      // the input is larger than a load reads
    EmptyText,         // the text holds no character to page
    CannotWrite,       // an output file could not be created or written
    CannotWriteIndex,  // the playlist could not be appended to
    BadDobLength,      // a DOB file whose length fits no width and height
    DobSizeAmbiguous,  // a DOB file whose wrapped header fits several sizes
    DobSizeUnfit,      // the size asked for does not fit the DOB file
    // What a check of a whole package finds.
    BadPlaylistLine,     // a playlist line that is not NAME,MS
    TornPlaylistLine,    // the playlist's last line has no line feed
    PlaylistTooLarge,    // more playlist than a check reads
    MissingFromPackage,  // a name the playlist gives that the folder lacks
    NotInPlaylist,       // a file of the folder that no line names
    StaleEntry,          // a line left from an earlier conversion of a file added again
    NotUtf8,             // a text page that is not valid UTF-8
    PageTooLong,         // a text page of more than 55 cells
    IsAFolder,           // a file was asked for, a folder stands there
    NotARegularFile,     // neither a file nor a folder (a pipe, a device)
    NoSuchFolder,        // a source folder that does not exist
    NotAFolder,          // a source folder that is something else
    CannotListFolder,    // a source folder that exists but cannot be listed
    SourceInOutput,      // a source folder that is the output folder or inside it
    CannotCreateFolder,  // the output folder could not be made
    CannotDelete,        // a file of the output folder could not be deleted
    CannotLock,          // the output folder could not be locked for writing
    SourcePlaceUnknown,  // a source folder of which it cannot be told whether it lies in the output folder
    LinkOutOfPackage,    // a named file that is a symbolic link leading out of the package
    NotPictureOrText,    // an input that is neither, told by its first bytes (detail: what it is)
    PagesNotWritten,     // some of a text's pages could not be created (detail: how many)
    OutputNameRefused,   // an input whose output name this run cannot write (detail: why)
    UnnamedFileKept,     // a file no line names any more that could not be removed
    NothingKept,         // a restore without a previous package
    DobHeaderWrapped,    // a DOB whose sides are 256 or more, so its header holds them modulo 256 (detail: the sizes)
    // Stops and bounds.
    LeftByInterruption,  // a temporary file in a package, from a run stopped while writing it (detail: the cure)
    OutputTooLarge,      // a picture whose files would pass the bound on one input's output (detail: how much)
    // Warnings: written as asked, but perhaps not as meant.
    DecoderSaid,        // the decoder's own words (detail)
    ZeroByteEnds,       // a zero byte ends a text (detail: its offset)
    HeaderWraps,        // a DOB header holds its sides modulo 256 (detail: the sizes)
    SettingNotANumber,  // a timing setting copied as it stands (detail: which and what)
    EarlierLineLeft,    // a line of an earlier conversion of a file added again (detail: which line)
    LargerThanScreen,   // a picture larger than the device's screen (detail: both sizes)
    NotInCharset,       // a text without a mark that is not valid in the character set it is read in (detail: which)
    // Notes: worth knowing, but nothing is wrong.
    NamedTwice,  // a name given by more than one playlist line
};

enum class Severity { Error, Warning, Note };

// Error for every failure; the warnings and notes above say so themselves.
Severity severityOf(Status status);

// Stable English text for a status; "Cant find file!" is the system's own
// message and stays as it is.
const char* statusText(Status status);

// A status with the operating system's reason for it, where there is one,
// and what else the step knew. Built from a bare Status, so a step that has
// nothing more to say says just that.
struct Outcome {
    Outcome(Status statusIn = Status::Ok, std::error_code causeIn = {})  // NOLINT: implicit on purpose
            : status(statusIn), severity(severityOf(statusIn)), cause(causeIn)
    {
    }
    Outcome(Status statusIn, std::string detailIn) : Outcome(statusIn) { detail = std::move(detailIn); }

    // Ok, and nothing else: a warning or a note is not a failure either.
    bool ok() const { return status == Status::Ok; }
    bool failed() const { return !ok() && severity == Severity::Error; }
    // Puts what the caller knows in front of what is already there.
    Outcome& prefix(const std::string& what);
    Outcome prefixed(const std::string& what) const;

    Status status;
    Severity severity;
    std::error_code cause;
    std::string detail;   // the step's own particulars: a decoder's reason, a count, a name
    std::string context;  // where it happened, outermost first, "a: b: "
};

// The one text of a result: its context, the status in words with its
// detail in the place the status gives it, then the system's cause:
// "anim-03.dob: cannot write: No space left on device".
std::string outcomeText(const Outcome& outcome);

}  // namespace pelkora
