#include "picture/picture_file.h"

#include <fstream>
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        file.status = Status::CantFindFile;
        return file;
    }
    file.bytes.resize(static_cast<std::size_t>(length));
    in.read(reinterpret_cast<char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(file.bytes.size())) {
        file.status = Status::CannotRead;
        file.bytes.clear();
    }
    return file;
}

}  // namespace pelkora::picture
