#include "output/output_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>

namespace pelkora::output {

namespace fs = std::filesystem;

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

// O_NOFOLLOW refuses a link; O_NONBLOCK keeps a pipe without a reader from
// blocking the open. Anything opened that is not a regular file is closed
// again, and -1 says so.
int openRegular(const fs::path& path, OutputMode mode)
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
bool isForeignEntry(const fs::path& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

constexpr std::string_view kNameLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool isNameLetter(char c) { return kNameLetters.find(c) != std::string_view::npos; }

// Letters for one temporary name, straight from the system: a generator
// seeded for each name cost more than the file itself. The small bias of
// the modulo does not matter; O_EXCL, not the name, keeps the file ours.
std::array<unsigned char, kTemporarySuffixLength> randomBytes()
{
    std::array<unsigned char, kTemporarySuffixLength> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got > 0)
            filled += static_cast<std::size_t>(got);
        else if (got < 0 && errno != EINTR)
            break;  // no source at all: the clock still varies, and a taken name is tried again
    }
    if (filled < bytes.size()) {
        auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(ticks);
            ticks = ticks * 6364136223846793005u + 1442695040888963407u;
        }
    }
    return bytes;
}

// A temporary file of our own in the folder that dirFd and folderPrefix
// name (folderPrefix is empty, or ends in a slash), created exclusively
// (O_EXCL), so it is never one that another writer or an attacker
// prepared. The mode is the one "wb" would give (0666 less the umask).
// A name in temporary already (one this writer used and renamed away) is
// tried first: it is free again, and only O_EXCL is needed to know that.
int createTemporary(int dirFd, const std::string& folderPrefix, std::string& temporary, std::error_code& cause)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (attempt > 0 || temporary.empty()) {
            temporary.assign(folderPrefix).append(kTemporaryPrefix);
            for (const unsigned char random : randomBytes())
                temporary.push_back(kNameLetters[random % kNameLetters.size()]);
        }
        const int fd = ::openat(dirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            cause = lastError();
            return -1;
        }
    }
    cause = std::make_error_code(std::errc::file_exists);
    return -1;
}

bool writeAll(int fd, std::string_view bytes, std::error_code& cause)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            cause = written < 0 ? lastError() : std::make_error_code(std::errc::no_space_on_device);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Copies the whole regular file at path onto fd.
bool copyInto(const fs::path& path, int to, std::error_code& cause)
{
    const int from = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (from < 0) {
        cause = lastError();
        return false;
    }
    char buffer[64 * 1024];
    bool copied = true;
    while (copied) {
        const ssize_t read = ::read(from, buffer, sizeof buffer);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            cause = lastError();
            copied = false;
        }
        if (read <= 0)
            break;
        copied = writeAll(to, std::string_view(buffer, static_cast<std::size_t>(read)), cause);
    }
    ::close(from);
    return copied;
}

// Fills a temporary file through fill, then renames it to target, both in
// the folder that dirFd and folderPrefix name. Whatever fails, the
// temporary file goes again.
template <typename Fill>
bool replaceFile(int dirFd, const std::string& folderPrefix, const char* target, std::string& temporary,
                 std::error_code& cause, Fill fill)
{
    cause.clear();
    const int fd = createTemporary(dirFd, folderPrefix, temporary, cause);
    if (fd < 0)
        return false;
    bool done = fill(fd);
    // A close can be the first to report a full disk (on network folders).
    if (::close(fd) != 0 && done) {
        cause = lastError();
        done = false;
    }
    // rename replaces the entry itself: a link, a hard link or a pipe of
    // that name is put aside without being opened. A folder of that name
    // makes it fail, and the folder stays.
    if (done && ::renameat(dirFd, temporary.c_str(), dirFd, target) != 0) {
        cause = lastError();
        done = false;
    }
    if (!done)
        ::unlinkat(dirFd, temporary.c_str(), 0);
    return done;
}

// The folder part of path as a prefix for names in it: empty or ending in
// a slash.
std::string folderPrefixOf(const fs::path& path)
{
    const fs::path folder = path.parent_path();
    return folder.empty() ? std::string() : (folder / "").string();
}

template <typename Fill>
bool replaceFile(const fs::path& path, std::error_code& cause, Fill fill)
{
    std::string temporary;
    return replaceFile(AT_FDCWD, folderPrefixOf(path), path.c_str(), temporary, cause, fill);
}

}  // namespace

std::FILE* openOutputFile(const fs::path& path, OutputMode mode)
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

bool writeWholeFile(const fs::path& path, std::string_view bytes, std::error_code& cause)
{
    return replaceFile(path, cause, [&](int fd) { return writeAll(fd, bytes, cause); });
}

bool writeWholeFile(const fs::path& path, std::string_view bytes)
{
    std::error_code ignored;
    return writeWholeFile(path, bytes, ignored);
}

bool rewriteWithTail(const fs::path& path, std::string_view tail, std::error_code& cause)
{
    return replaceFile(path, cause, [&](int fd) { return copyInto(path, fd, cause) && writeAll(fd, tail, cause); });
}

FolderWriter::FolderWriter(const fs::path& folder)
        : prefix_((folder / "").string()), fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
}

FolderWriter::~FolderWriter()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FolderWriter::writeWholeFile(std::string_view name, std::string_view bytes, std::error_code& cause)
{
    name_.assign(name);
    // A folder that could not be opened is tried by its path, which then
    // fails with the cause or finds the folder made since.
    if (fd_ < 0)
        return output::writeWholeFile(prefix_ + name_, bytes, cause);
    return replaceFile(fd_, std::string(), name_.c_str(), temporary_, cause,
                       [&](int fd) { return writeAll(fd, bytes, cause); });
}

bool isTemporaryName(std::string_view fileName)
{
    if (fileName.size() != kTemporaryPrefix.size() + kTemporarySuffixLength
        || fileName.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix)
        return false;
    for (const char c : fileName.substr(kTemporaryPrefix.size()))
        if (!isNameLetter(c))
            return false;
    return true;
}

int removeLeftoverTemporaries(const fs::path& folder)
{
    int removed = 0;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        // Only our own regular files: a folder or link under such a name is
        // none of ours.
        if (isTemporaryName(it->path().filename().string()) && it->is_regular_file(ignored) && !it->is_symlink(ignored)
            && fs::remove(it->path(), ignored))
            ++removed;
    }
    return removed;
}

}  // namespace pelkora::output
