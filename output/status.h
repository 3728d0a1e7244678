#pragma once
// One result code for every conversion step that can fail, and one place
// that turns it into words, so that the dialog, the command line and the
// tests all speak of a failure the same way.

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
};

// Stable English text for a status; "Cant find file!" is the system's own
// message and stays as it is.
const char* statusText(Status status);

}  // namespace pelkora
