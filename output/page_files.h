#pragma once
// The pager's files, written on two threads: creating and renaming a small
// file is almost all of a page's cost, and a second thread doing the same
// in the same folder nearly halves the time. The thread that hands a page
// over writes pages too, so neither waits while there is work; what became
// of each page comes back to that thread alone, in page order, so that the
// playlist entries stay in order and each follows its file.

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "output/output_file.h"

namespace pelkora::output {

class PageFiles {
public:
    struct Written {
        int number = 0;
        bool ok = false;
        std::error_code cause;  // why it failed
    };
    using Done = std::function<void(const Written&)>;

    explicit PageFiles(const std::filesystem::path& folder);
    // Writes what is still waiting, then joins the helper; those outcomes
    // are not reported.
    ~PageFiles();
    PageFiles(const PageFiles&) = delete;
    PageFiles& operator=(const PageFiles&) = delete;

    // Hands over page number as folder/name; done hears, in page order,
    // about every page finished since the last call.
    void write(int number, std::string_view name, std::string_view bytes, const Done& done);
    // Returns once every page handed over is written and reported.
    void finish(const Done& done);

private:
    struct Slot {
        enum class State { Waiting, Writing, Finished };
        State state = State::Waiting;
        int number = 0;
        std::string name;
        std::string bytes;
        bool ok = false;
        std::error_code cause;
    };

    // Between the two, one small page starts no thread.
    static constexpr int kHelperAfterPages = 2;
    static constexpr std::size_t kSlots = 64;

    Slot& slotAt(std::size_t position) { return slots_[(first_ + position) % kSlots]; }
    // The oldest waiting page marked as taken, or null; under the lock.
    Slot* takeWaiting();
    void writeSlot(Slot& slot, FolderWriter& folder, std::unique_lock<std::mutex>& lock);
    // One step towards reporting the oldest page: a waiting page written
    // here, or a wait for the helper's, then what is finished reported.
    void advance(std::unique_lock<std::mutex>& lock, const Done& done);
    // Reports the finished pages at the front, outside the lock.
    void handBack(std::unique_lock<std::mutex>& lock, const Done& done);
    void runHelper();

    FolderWriter ownFolder_;
    FolderWriter helperFolder_;
    int handedOver_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;
    std::size_t first_ = 0;    // the oldest page not yet reported
    std::size_t count_ = 0;    // pages handed over and not yet reported
    std::size_t waiting_ = 0;  // of those, not yet taken by a writer
    bool stop_ = false;
    std::vector<Written> reports_;
    std::thread helper_;
};

}  // namespace pelkora::output
