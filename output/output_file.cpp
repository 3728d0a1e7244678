#include "output/output_file.h"

#include <system_error>

#if defined(_WIN32)
namespace pelkora::output {

// Windows opens neither links nor pipes under a plain file name by accident.
std::FILE* openOutputFile(const std::filesystem::path& path, OutputMode mode)
{
    return _wfopen(path.c_str(), mode == OutputMode::Create ? L"wb" : L"ab");
}

}  // namespace pelkora::output
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelkora::output {

namespace {

// O_NOFOLLOW refuses a link; O_NONBLOCK keeps a pipe without a reader from
// blocking the open. Anything opened that is not a regular file is closed
// again, and -1 says so.
int openRegular(const std::filesystem::path& path, OutputMode mode)
{
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK
                      | (mode == OutputMode::Create ? O_TRUNC : O_APPEND);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    // O_NONBLOCK stays: it has no effect on a regular file.
    return fd;
}

// True when the name is taken by something a write must not go through.
bool isForeignEntry(const std::filesystem::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

}  // namespace

std::FILE* openOutputFile(const std::filesystem::path& path, OutputMode mode)
{
    int fd = openRegular(path, mode);
    if (fd < 0 && isForeignEntry(path) && ::unlink(path.c_str()) == 0)
        fd = openRegular(path, mode);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, mode == OutputMode::Create ? "wb" : "ab");
    if (file == nullptr)
        ::close(fd);
    return file;
}

}  // namespace pelkora::output
#endif

namespace pelkora::output {

bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes)
{
    std::FILE* file = openOutputFile(path, OutputMode::Create);
    if (file == nullptr)
        return false;
    // Unbuffered, the bytes go out in one write, without a buffer's
    // allocation and size query.
    std::setvbuf(file, nullptr, _IONBF, 0);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed)
        return true;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

}  // namespace pelkora::output
