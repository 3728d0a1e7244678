#include "output/status.h"

namespace pelkora {

const char* statusText(Status status)
{
    switch (status) {
    case Status::Ok: return "ok";
    case Status::CantFindFile: return "Cant find file!";
    case Status::CannotRead: return "cannot read the file";
    case Status::NotAPicture: return "not a picture";
    case Status::BrokenPicture: return "a damaged picture that does not decode";
    case Status::NoFrames: return "a GIF without any frame that decodes";
    case Status::EmptySurface: return "the picture has a width or height of 0";
    case Status::SurfaceTooLarge: return "the picture is too large (its surface would exceed 256 MiB)";
    case Status::FramesTooLarge: return "the animation is too large (its decoded frames would exceed the memory limit)";
    case Status::FileTooLarge: return "the file is too large to load (more than 1 GiB)";
    case Status::EmptyText: return "empty text";
    case Status::CannotWrite: return "cannot write";
    case Status::CannotWriteIndex: return "cannot append to the playlist";
    }
    return "unknown status";
}

}  // namespace pelkora
