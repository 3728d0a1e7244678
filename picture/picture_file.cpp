#include "picture/picture_file.h"

#include <system_error>

namespace pelkora::picture {

FileBytes readWholeFile(const std::filesystem::path& path, std::uint64_t largestFile)
{
    FileBytes file;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        file.status = Status::CantFindFile;
        return file;
    }
    const std::uintmax_t length = std::filesystem::file_size(path, error);
    if (error) {
        file.status = Status::CantFindFile;
        return file;
    }
    if (length > largestFile) {
        file.status = Status::FileTooLarge;
        return file;
    }
    // The length found above is what is read: bytes the file gained since
    // are left out, and a file that lost some cannot be read whole.
    output::InputBytes input = output::readInputFile(path, length);
    if (input.status == Status::Ok && input.bytes.size() != length)
        input.status = Status::CannotRead;
    file.status = input.status;
    if (file.status == Status::Ok)
        file.bytes = std::move(input.bytes);
    return file;
}

}  // namespace pelkora::picture
