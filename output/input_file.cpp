#include "output/input_file.h"

#include <algorithm>
#include <cstring>

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

// Reads until limit bytes are in or the file ends. False on a read error.
bool readUpTo(platform::File& file, std::uint64_t limit, std::uint64_t expected, ReadBuffer& buffer)
{
    // One byte past the expected length, so that the end is seen without
    // growing the buffer.
    buffer.reserve(static_cast<std::size_t>(std::min(limit, expected + 1)));
    while (buffer.size() < limit) {
        if (buffer.spareSize() == 0)
            buffer.reserve(static_cast<std::size_t>(
                    std::min<std::uint64_t>(limit, std::max<std::size_t>(kFirstRead, buffer.size() * 2))));
        const std::size_t want =
                static_cast<std::size_t>(std::min<std::uint64_t>(buffer.spareSize(), limit - buffer.size()));
        std::size_t got = 0;
        std::error_code ignored;
        if (!file.read(buffer.spare(), want, got, ignored))
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

}  // namespace

ReadBuffer::~ReadBuffer()
{
    Spare& spare = threadSpare();
    if (storage_ && capacity_ <= kLargestKept && capacity_ > spare.capacity) {
        spare.storage = std::move(storage_);
        spare.capacity = capacity_;
    }
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
    // A pipe is never opened: a writer waiting for its reader would be let
    // through. Should one take the name after this look, the open does not
    // wait, and the open file's own look refuses it.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return input;
    platform::File file = platform::openForReading(path, platform::Links::Follow, error);
    platform::FileStatus status;
    if (!file.isOpen() || !file.status(status, error) || status.kind != platform::EntryKind::Regular)
        return input;
    if (!readUpTo(file, limit, status.size, input.bytes)) {
        input.status = Status::CannotRead;
        input.bytes.clear();
        return input;
    }
    input.truncated = input.bytes.size() == limit && moreFollows(file);
    input.status = Status::Ok;
    return input;
}

}  // namespace pelkora::output
