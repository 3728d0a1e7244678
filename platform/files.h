#pragma once
// Files as the system keeps them: what an entry is, an open file owned by
// one object, and the opens the package's writers and readers need. None
// of these opens ever waits for a pipe's other end or writes through a
// link: a name is ours, whatever else sits under it.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace pelkora::platform {

enum class EntryKind { Regular, Folder, Other };  // Other: a link, pipe, device, ...

// Links::Own judges a link as the link itself, Links::Follow as what it leads to.
enum class Links { Follow, Own };

// Which file an entry is: equal for two names of the same file, and only then.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct FileStatus {
    EntryKind kind = EntryKind::Other;
    std::uint64_t size = 0;
    std::uint64_t links = 0;  // names the file has
    FileIdentity identity;
};

// What the entry at path is. False, with the cause, when it cannot be
// looked at; a missing one compares equal to no_such_file_or_directory.
bool statusOf(const std::filesystem::path& path, Links links, FileStatus& status, std::error_code& cause);

// Creates one folder (the mode is 0777 less the umask). A taken name
// fails with a cause equal to file_exists.
bool makeFolder(const std::filesystem::path& path, std::error_code& cause);

enum class WriteMode { Create, Append };

class File {
public:
    // The system's handle (a descriptor, or a HANDLE as an integer); -1 is none.
    using Handle = std::intptr_t;
    static constexpr Handle kNone = -1;

    File() = default;
    explicit File(Handle handle) : handle_(handle) {}
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return handle_ != kNone; }
    Handle handle() const { return handle_; }

    bool status(FileStatus& status, std::error_code& cause) const;
    // Every byte, the rest after an interruption or a short write. False
    // when not all went in; written then tells how many did.
    bool writeAll(std::string_view bytes, std::size_t& written, std::error_code& cause);
    bool writeAll(std::string_view bytes, std::error_code& cause);
    // Up to size bytes; got is 0 at the end of the file.
    bool read(void* buffer, std::size_t size, std::size_t& got, std::error_code& cause);
    bool truncate(std::uint64_t size);
    // A close can be the first to report a failed write (on network folders).
    bool close(std::error_code& cause);
    // Hands the file over to a C stream ("wb" or "ab"); nullptr, the file
    // closed, when that fails.
    std::FILE* intoStream(WriteMode mode);

private:
    Handle handle_ = kNone;
};

// A regular file for writing: Create truncates or creates it, Append adds
// to it or creates it. An entry of that name that is not a regular file
// (a link, a pipe, a device) is removed first; a folder never is, and
// then the open fails. Not open when it fails.
File openOutput(const std::filesystem::path& path, WriteMode mode);

// An existing entry for appending, without following a link or waiting
// for a pipe's reader; status() then says what was opened.
File openForAppend(const std::filesystem::path& path, std::error_code& cause);

// An existing entry for reading, without waiting for a pipe's writer;
// status() then says what was opened.
File openForReading(const std::filesystem::path& path, Links links, std::error_code& cause);

// The file at path as a C stream for reading ("rb"); nullptr when it
// cannot be opened.
std::FILE* openReadStream(const std::filesystem::path& path);

}  // namespace pelkora::platform
