#include "core/status.h"

namespace pelkora {

const char* statusText(Status status)
{
    switch (status) {
    case Status::Ok:
        return "ok";
    case Status::CantFindFile:
        return "Cant find file!";
    case Status::CannotRead:
        return "cannot read the file";
    case Status::NotAPicture:
        return "not a picture";
    case Status::BrokenPicture:
        return "a damaged picture that does not decode";
    case Status::NoFrames:
        return "a GIF without any frame that decodes";
    case Status::EmptySurface:
        return "the picture has a width or height of 0";
    case Status::SurfaceTooLarge:
        return "the picture is too large (its surface would exceed 256 MiB)";
    case Status::FramesTooLarge:
        return "the animation is too large (its decoded frames would exceed the memory limit)";
    case Status::FileTooLarge:
        return "the file is too large to load (more than 1 GiB)";
    case Status::EmptyText:
        return "empty text";
    case Status::CannotWrite:
        return "cannot write";
    case Status::CannotWriteIndex:
        return "cannot append to the playlist";
    case Status::BadDobLength:
        return "its length fits no DOB size";
    case Status::DobSizeAmbiguous:
        return "its header fits several sizes (choose one with --size WxH)";
    case Status::DobSizeUnfit:
        return "the size asked for does not fit its length and header";
    case Status::BadPlaylistLine:
        return "not NAME,MS (MS a number of 1 to 9 digits)";
    case Status::TornPlaylistLine:
        return "torn: the last line has no line feed";
    case Status::PlaylistTooLarge:
        return "the playlist is too large to check (more than 64 MiB)";
    case Status::MissingFromPackage:
        return "named by the playlist, but no such file";
    case Status::NotInPlaylist:
        return "no playlist line names it";
    case Status::NamedTwice:
        return "named by more than one line";
    case Status::NotUtf8:
        return "not valid UTF-8";
    case Status::PageTooLong:
        return "more than 55 cells";
    case Status::IsAFolder:
        return "is a folder, not a file";
    case Status::NotARegularFile:
        return "is not a regular file";
    case Status::NoSuchFolder:
        return "no such folder";
    case Status::NotAFolder:
        return "is not a folder";
    case Status::CannotListFolder:
        return "cannot list the folder";
    case Status::SourceInOutput:
        return "is the output folder or lies inside it; converting it would delete its own files";
    case Status::CannotCreateFolder:
        return "cannot create the output folder";
    case Status::CannotDelete:
        return "cannot delete";
    case Status::CannotLock:
        return "cannot lock the output folder";
    case Status::SourcePlaceUnknown:
        return "cannot tell whether it lies inside the output folder; nothing is emptied";
    case Status::LinkOutOfPackage:
        return "a symbolic link to a file outside the package (a copy to the device carries it dangling)";
    }
    return "unknown status";
}

}  // namespace pelkora

namespace pelkora {

std::string outcomeText(const Outcome& outcome)
{
    std::string text = statusText(outcome.status);
    if (outcome.cause)
        text.append(": ").append(outcome.cause.message());
    return text;
}

}  // namespace pelkora
