#pragma once
// A named pipe in the place of an input file. Should the code under test
// open it for reading (and so wait for a writer), the pipe's writer comes,
// hands over its bytes and goes, so that such a fault shows as a wrong
// result instead of a test that never ends. Named pipes are POSIX's: the
// tests that need one skip elsewhere (support/posix_only.h) before they
// reach it.

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

namespace pelkora::testing {

// A named pipe nobody has opened; false when none could be made.
inline bool makeFifo(const std::filesystem::path& path)
{
#ifdef _WIN32
    static_cast<void>(path);
    return false;
#else
    return ::mkfifo(path.c_str(), 0600) == 0;
#endif
}

class FifoWriter {
public:
    FifoWriter(std::filesystem::path path, std::string bytes) : path_(std::move(path)), bytes_(std::move(bytes))
    {
        if (!makeFifo(path_))
            throw std::runtime_error("cannot create the pipe " + path_.string());
        writer_ = std::thread([this] { serve(); });
    }

    ~FifoWriter()
    {
        stop_ = true;
        writer_.join();
    }

    FifoWriter(const FifoWriter&) = delete;
    FifoWriter& operator=(const FifoWriter&) = delete;

    // True once a reader had the pipe open.
    bool wasOpened() const { return opened_; }

private:
    // Opening the write end without waiting succeeds only while a reader
    // has the pipe open. Each open of the reader is served with the bytes
    // (a reader may open the pipe more than once), a few times at most, so
    // that a reader that reads to the end meets it.
    void serve()
    {
#ifndef _WIN32
        constexpr int kServes = 4;
        for (int served = 0; !stop_ && served < kServes;) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened_ = true;
                ++served;
                [[maybe_unused]] const auto written = ::write(fd, bytes_.data(), bytes_.size());
                ::close(fd);
                // Time for this reader to finish before the next open is served.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
#endif
    }

    std::filesystem::path path_;
    std::string bytes_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> opened_{false};
    std::thread writer_;
};

}  // namespace pelkora::testing
