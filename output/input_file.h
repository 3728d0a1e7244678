#pragma once
// Reading files, bounded: only a regular file is opened (a pipe could keep
// the read waiting forever), and no more than the caller's limit is ever
// held. An input (a picture or a text to convert) is checked, opened and
// read whole once; its one buffer then serves the picture detection, the
// decoder and the text pager alike.
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
#include <string_view>
#include <system_error>

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
    std::string_view text() const { return {reinterpret_cast<const char*>(data()), size_}; }

    // Room for at least capacity bytes, the first size() of them kept.
    void reserve(std::size_t capacity);
    std::uint8_t* spare() { return storage_.get() + size_; }
    std::size_t spareSize() const { return capacity_ - size_; }
    void grow(std::size_t added) { size_ += added; }
    void clear() { size_ = 0; }

private:
    // Hands the memory to the thread's next read.
    void giveBack();

    std::unique_ptr<std::uint8_t[]> storage_;
    std::size_t capacity_ = 0;
    std::size_t size_ = 0;
};

struct InputBytes {
    // Ok, or why not as readInput says it: CantFindFile, IsAFolder,
    // NotARegularFile or CannotRead, with the system's cause.
    Outcome outcome{Status::CantFindFile};
    ReadBuffer bytes;                       // at most limit bytes
    bool truncated = false;                 // the file holds more than limit bytes
};

// The beginning of a file of the package, up to limit bytes.
InputBytes readInputFile(const std::filesystem::path& path, std::uint64_t limit);

// An input read whole, or why not: CantFindFile, IsAFolder, NotARegularFile,
// FileTooLarge (refused before anything is allocated for it) or CannotRead,
// with the system's cause where there is one.
struct InputFile {
    Outcome state;
    ReadBuffer bytes;  // the whole file when state is Ok
};

InputFile readInput(const std::filesystem::path& path, std::uint64_t largestFile);

}  // namespace pelkora::output
