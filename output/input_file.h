#pragma once
// Reading a file back, bounded: only a regular file is opened (a pipe could
// keep the read waiting forever), and no more than the caller's limit is
// ever held.
//
// The bytes are read, not mapped: a mapped file that another program cuts
// short while it is decoded kills the process (SIGBUS) wherever the decoder
// happens to be, in our code or a library's, and nothing can make that safe
// to catch. Instead the memory a read used goes back to its thread when
// released, and the next read there takes it again: a batch of pictures
// reads them all through one buffer, without new pages or zero filling.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "core/status.h"

namespace pelkora::output {

// The bytes of one read; the memory stays this buffer's until it goes.
class ReadBuffer {
public:
    ReadBuffer() = default;
    ~ReadBuffer();
    ReadBuffer(ReadBuffer&& other) noexcept;
    ReadBuffer& operator=(ReadBuffer&& other) noexcept;
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    const std::uint8_t* data() const { return storage_.get(); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + size_; }
    std::uint8_t operator[](std::size_t index) const { return storage_[index]; }

    // Room for at least capacity bytes, the first size() of them kept.
    void reserve(std::size_t capacity);
    std::uint8_t* spare() { return storage_.get() + size_; }
    std::size_t spareSize() const { return capacity_ - size_; }
    void grow(std::size_t added) { size_ += added; }
    void clear() { size_ = 0; }

private:
    std::unique_ptr<std::uint8_t[]> storage_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

struct InputBytes {
    Status status = Status::CantFindFile;  // Ok, CantFindFile or CannotRead
    ReadBuffer bytes;                      // at most limit bytes
    bool truncated = false;                // the file holds more than limit bytes
};

InputBytes readInputFile(const std::filesystem::path& path, std::uint64_t limit);

}  // namespace pelkora::output
