#include "output/input_file.h"

#include <algorithm>
#include <fstream>

namespace pelkora::output {

InputBytes readInputFile(const std::filesystem::path& path, std::uint64_t limit)
{
    InputBytes input;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return input;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return input;
    // The length is a hint only: the file may change while it is read.
    const std::uintmax_t length = std::filesystem::file_size(path, error);
    const std::uint64_t expected = error ? 0 : std::min<std::uint64_t>(length, limit);
    input.bytes.reserve(static_cast<std::size_t>(expected));
    constexpr std::size_t kChunk = 64 * 1024;
    char chunk[kChunk];
    while (input.bytes.size() < limit) {
        const auto want = static_cast<std::streamsize>(std::min<std::uint64_t>(kChunk, limit - input.bytes.size()));
        in.read(chunk, want);
        const std::streamsize got = in.gcount();
        input.bytes.insert(input.bytes.end(), chunk, chunk + got);
        if (got < want)
            break;
    }
    if (in.bad()) {
        input.status = Status::CannotRead;
        input.bytes.clear();
        return input;
    }
    input.truncated = input.bytes.size() == limit && in.peek() != std::ifstream::traits_type::eof();
    input.status = Status::Ok;
    return input;
}

}  // namespace pelkora::output
