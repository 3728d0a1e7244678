#pragma once
// One result code for every step of the core that can fail (the GIF walk,
// the picture load, the output writers), and one place that turns it into
// words, so that the dialog, the command line and the tests all speak of a
// failure the same way.

#include <string>
#include <system_error>

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
    NamedTwice,          // a name given by more than one line: a note only
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
};

// Stable English text for a status; "Cant find file!" is the system's own
// message and stays as it is.
const char* statusText(Status status);

// A status with the operating system's reason for it, where there is one.
// Built from a bare Status, so a step that has no such reason says just that.
struct Outcome {
    Outcome(Status statusIn = Status::Ok, std::error_code causeIn = {})  // NOLINT: implicit on purpose
            : status(statusIn), cause(causeIn)
    {
    }
    bool ok() const { return status == Status::Ok; }

    Status status;
    std::error_code cause;
};

// "cannot write: No space left on device"; the status text alone without a cause.
std::string outcomeText(const Outcome& outcome);

}  // namespace pelkora
