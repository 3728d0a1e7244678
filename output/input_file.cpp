#include "output/input_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <system_error>

#include "platform/files.h"

namespace pelkora::output {

namespace {

// Memory kept for the next read of a thread; a larger buffer is given back
// to the system, so that one huge file does not stay in memory for the run.
constexpr std::size_t kLargestKept = std::size_t{64} << 20;

struct Spare {
    std::unique_ptr<std::uint8_t[]> storage;
    std::size_t capacity = 0;
};

Spare& threadSpare()
{
    thread_local Spare spare;
    return spare;
}

// The length is a hint only: the file may grow or shrink while it is read.
constexpr std::size_t kFirstRead = 64 * 1024;

// Reads until limit bytes are in or the file ends. False, with the
// system's cause, on a read error.
bool readUpTo(platform::File& file, std::uint64_t limit, std::uint64_t expected, ReadBuffer& buffer,
              std::error_code& cause)
{
    // One byte past the expected length, so that the end is seen without
    // growing the buffer.
    buffer.reserve(static_cast<std::size_t>(expected < limit ? expected + 1 : limit));
    while (buffer.size() < limit) {
        if (buffer.spareSize() == 0)
            buffer.reserve(static_cast<std::size_t>(
                    std::min<std::uint64_t>(limit, std::max<std::size_t>(kFirstRead, buffer.size() * 2))));
        const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.spareSize(), limit - buffer.size()));
        std::size_t got = 0;
        if (!file.read(buffer.spare(), want, got, cause))
            return false;
        if (got == 0)
            break;
        buffer.grow(got);
    }
    return true;
}

// Whether a byte follows where the read stopped.
bool moreFollows(platform::File& file)
{
    std::uint8_t next = 0;
    std::size_t got = 0;
    std::error_code ignored;
    return file.read(&next, 1, got, ignored) && got > 0;
}

// What stands at a name, judged before it is read: a folder, a pipe or a
// device is no input, and a file larger than the caller holds is refused
// before anything is allocated for it.
Outcome judgeEntry(const platform::FileStatus& status, std::uint64_t largestFile)
{
    if (status.kind == platform::EntryKind::Folder)
        return Status::IsAFolder;
    // A pipe waits for a writer that may never come, a device may never end.
    if (status.kind != platform::EntryKind::Regular)
        return Status::NotARegularFile;
    if (status.size > largestFile)
        return Status::FileTooLarge;
    return Status::Ok;
}

// Opens the regular file at path. The name is looked at first, since a pipe
// is never to be opened: that alone would let a writer waiting for its
// reader through. Should another entry take the name after the look, the
// open does not wait, and the open file's own look refuses it; that look's
// length is what the caller reads.
Outcome openRegularFile(const std::filesystem::path& path, std::uint64_t largestFile, platform::File& file,
                        platform::FileStatus& opened)
{
    std::error_code cause;
    platform::FileStatus named;
    if (!platform::statusOf(path, platform::Links::Follow, named, cause)) {
        if (cause == std::errc::no_such_file_or_directory || cause == std::errc::not_a_directory)
            return Status::CantFindFile;
        return Outcome(Status::CannotRead, cause);
    }
    if (const Outcome judged = judgeEntry(named, largestFile); !judged.ok())
        return judged;
    file = platform::openForReading(path, platform::Links::Follow, cause);
    if (!file.isOpen() || !file.status(opened, cause))
        return Outcome(Status::CannotRead, cause);
    return judgeEntry(opened, largestFile);
}

}  // namespace

ReadBuffer::~ReadBuffer() { giveBack(); }

void ReadBuffer::giveBack()
{
    Spare& spare = threadSpare();
    if (storage_ && capacity_ <= kLargestKept && capacity_ > spare.capacity) {
        spare.storage = std::move(storage_);
        spare.capacity = capacity_;
    }
    storage_.reset();
    capacity_ = 0;
    size_ = 0;
}

ReadBuffer::ReadBuffer(ReadBuffer&& other) noexcept
        : storage_(std::move(other.storage_)), capacity_(other.capacity_), size_(other.size_)
{
    other.capacity_ = 0;
    other.size_ = 0;
}

ReadBuffer& ReadBuffer::operator=(ReadBuffer&& other) noexcept
{
    if (this != &other) {
        giveBack();
        storage_ = std::move(other.storage_);
        capacity_ = other.capacity_;
        size_ = other.size_;
        other.capacity_ = 0;
        other.size_ = 0;
    }
    return *this;
}

void ReadBuffer::reserve(std::size_t capacity)
{
    if (capacity <= capacity_)
        return;
    Spare& spare = threadSpare();
    std::unique_ptr<std::uint8_t[]> larger;
    std::size_t largerCapacity = capacity;
    if (spare.storage && spare.capacity >= capacity) {
        larger = std::move(spare.storage);
        largerCapacity = spare.capacity;
        spare.capacity = 0;
    } else {
        // Not value-initialised: every byte handed out is read into first.
        larger.reset(new std::uint8_t[capacity]);
    }
    if (size_ > 0)
        std::memcpy(larger.get(), storage_.get(), size_);
    storage_ = std::move(larger);
    capacity_ = largerCapacity;
}

InputBytes readInputFile(const std::filesystem::path& path, std::uint64_t limit)
{
    InputBytes input;
    platform::File file;
    platform::FileStatus status;
    input.outcome = openRegularFile(path, std::numeric_limits<std::uint64_t>::max(), file, status);
    if (!input.outcome.ok())
        return input;
    if (std::error_code cause; !readUpTo(file, limit, status.size, input.bytes, cause)) {
        input.outcome = Outcome(Status::CannotRead, cause);
        input.bytes.clear();
        return input;
    }
    input.truncated = input.bytes.size() == limit && moreFollows(file);
    input.outcome = Status::Ok;
    return input;
}

InputFile readInput(const std::filesystem::path& path, std::uint64_t largestFile)
{
    InputFile input;
    platform::File file;
    platform::FileStatus status;
    // Whatever the caller allows, the length must fit in memory's sizes.
    const std::uint64_t addressable = std::numeric_limits<std::size_t>::max() - 1;
    input.state = openRegularFile(path, std::min(largestFile, addressable), file, status);
    if (!input.state.ok())
        return input;
    // Bytes the file gained since its look are left out; a file that lost
    // some cannot be read whole.
    std::error_code cause;
    if (!readUpTo(file, status.size, status.size, input.bytes, cause) || input.bytes.size() != status.size) {
        input.state = Outcome(Status::CannotRead, cause);
        input.bytes.clear();
    }
    return input;
}

}  // namespace pelkora::output
