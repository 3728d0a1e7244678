#include "output/output_file.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/folder.h"
#include "platform/path_names.h"
#include "platform/random.h"

namespace pelkora::output {

namespace fs = std::filesystem;
using platform::File;
using platform::Folder;

namespace {

constexpr std::string_view kNameLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool isNameLetter(char c) { return kNameLetters.find(c) != std::string_view::npos; }

// Letters for one temporary name, straight from the system: a generator
// seeded for each name cost more than the file itself. The small bias of
// the modulo does not matter; the exclusive create, not the name, keeps
// the file ours.
std::array<unsigned char, kTemporarySuffixLength> randomBytes()
{
    std::array<unsigned char, kTemporarySuffixLength> bytes{};
    if (!platform::fillRandom(bytes.data(), bytes.size())) {
        // No source at all: the clock still varies, and a taken name is tried again.
        auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(ticks);
            ticks = ticks * 6364136223846793005u + 1442695040888963407u;
        }
    }
    return bytes;
}

// Gives the temporary name to a file through claim, which fails with
// file_exists for a taken name (folderPrefix is empty, or the folder
// ending in a separator when folder names whole paths). A name in
// temporary already (one this writer used and renamed away) is tried
// first: it is free again, and only the exclusive claim is needed to know
// that.
template <typename Claim>
bool claimTemporaryName(const std::string& folderPrefix, std::string& temporary, std::error_code& cause, Claim claim)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (attempt > 0 || temporary.empty()) {
            temporary.assign(folderPrefix).append(kTemporaryPrefix);
            for (const unsigned char random : randomBytes())
                temporary.push_back(kNameLetters[random % kNameLetters.size()]);
        }
        std::error_code failure;
        if (claim(temporary, failure))
            return true;
        if (failure != std::errc::file_exists) {
            cause = failure;
            return false;
        }
    }
    cause = std::make_error_code(std::errc::file_exists);
    return false;
}

// A temporary file of our own in folder, created exclusively.
File createTemporary(const Folder& folder, const std::string& folderPrefix, std::string& temporary,
                     std::error_code& cause)
{
    File file;
    claimTemporaryName(folderPrefix, temporary, cause, [&](const std::string& name, std::error_code& failure) {
        file = folder.createNew(name, failure);
        return file.isOpen();
    });
    return file;
}

// Copies the whole regular file at path onto to.
bool copyInto(const fs::path& path, File& to, std::error_code& cause)
{
    File from = platform::openForReading(path, platform::Links::Own, cause);
    if (!from.isOpen())
        return false;
    char buffer[64 * 1024];
    std::size_t read = 0;
    while (from.read(buffer, sizeof buffer, read, cause) && read > 0) {
        if (!to.writeAll(std::string_view(buffer, read), cause))
            return false;
    }
    return !cause;
}

// The file a write goes to: one without a name where the system has such
// files, so that a kill while it is written leaves nothing; else one under
// a temporary name, which the next writer removes. named tells which.
File createTarget(const Folder& folder, const std::string& folderPrefix, std::string& temporary, bool& named,
                  std::error_code& cause)
{
    std::error_code unsupported;
    File file = folder.createUnnamed(folderPrefix, unsupported);
    named = !file.isOpen();
    return named ? createTemporary(folder, folderPrefix, temporary, cause) : std::move(file);
}

// Fills a new file through fill, then puts it in place as target, both in
// folder. An unnamed one gets a temporary name first, as a link cannot
// replace what has the target's name and a rename can. Whatever fails, the
// temporary file goes again.
template <typename Fill>
bool replaceFile(const Folder& folder, const std::string& folderPrefix, const std::string& target,
                 std::string& temporary, std::error_code& cause, Fill fill)
{
    cause.clear();
    bool named = false;
    File file = createTarget(folder, folderPrefix, temporary, named, cause);
    if (!file.isOpen())
        return false;
    bool done = fill(file);
    if (done && !named) {
        done = named = claimTemporaryName(folderPrefix, temporary, cause,
                                          [&](const std::string& name, std::error_code& failure) {
                                              return folder.giveName(file, name, failure);
                                          });
    }
    // A close can be the first to report a full disk (on network folders).
    std::error_code closing;
    if (!file.close(closing) && done) {
        cause = closing;
        done = false;
    }
    // The rename replaces the entry itself: a link, a hard link or a pipe
    // of that name is put aside without being opened. A folder of that name
    // makes it fail, and the folder stays.
    if (done && !folder.rename(temporary, target, cause))
        done = false;
    if (!done && named)
        folder.remove(temporary);
    return done;
}

// The folder part of path as a prefix for names in it: empty or ending in
// a separator.
std::string folderPrefixOf(const fs::path& path)
{
    const fs::path folder = path.parent_path();
    return folder.empty() ? std::string() : platform::utf8Of(folder / "");
}

template <typename Fill>
bool replaceFile(const fs::path& path, std::error_code& cause, Fill fill)
{
    std::string temporary;
    return replaceFile(Folder(), folderPrefixOf(path), platform::utf8Of(path), temporary, cause, fill);
}

}  // namespace

std::FILE* openOutputFile(const fs::path& path, OutputMode mode)
{
    File file = platform::openOutput(path, mode);
    return file.isOpen() ? file.intoStream(mode) : nullptr;
}

Outcome writeWholeFile(const fs::path& path, std::string_view bytes)
{
    std::error_code cause;
    if (replaceFile(path, cause, [&](File& file) { return file.writeAll(bytes, cause); }))
        return Status::Ok;
    return Outcome(Status::CannotWrite, cause);
}

Outcome rewriteWithTail(const fs::path& path, std::string_view tail)
{
    std::error_code cause;
    if (replaceFile(path, cause,
                    [&](File& file) { return copyInto(path, file, cause) && file.writeAll(tail, cause); }))
        return Status::Ok;
    return Outcome(Status::CannotWrite, cause);
}

FolderWriter::FolderWriter(const fs::path& folder)
        : prefix_(platform::utf8Of(folder / "")), folder_(folder)
{
}

FolderWriter::~FolderWriter() = default;

Outcome FolderWriter::writeWholeFile(std::string_view name, std::string_view bytes)
{
    name_.assign(name);
    // A folder that could not be opened is tried by its path, which then
    // fails with the cause or finds the folder made since.
    if (!folder_.isOpen())
        return output::writeWholeFile(platform::pathFromUtf8(prefix_ + name_), bytes);
    std::error_code cause;
    if (replaceFile(folder_, std::string(), name_, temporary_, cause,
                    [&](File& file) { return file.writeAll(bytes, cause); }))
        return Status::Ok;
    return Outcome(Status::CannotWrite, cause);
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
