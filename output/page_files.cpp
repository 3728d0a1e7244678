#include "output/page_files.h"

namespace pelkora::output {

PageFiles::PageFiles(const std::filesystem::path& folder) : ownFolder_(folder), helperFolder_(folder), slots_(kSlots) {}

PageFiles::~PageFiles()
{
    {
        std::unique_lock lock(mutex_);
        while (Slot* slot = takeWaiting())
            writeSlot(*slot, ownFolder_, lock);
        stop_ = true;
    }
    changed_.notify_all();
    if (helper_.joinable())
        helper_.join();
}

void PageFiles::write(int number, std::string_view name, std::string_view bytes, const Done& done)
{
    std::unique_lock lock(mutex_);
    // A full ring: this thread writes, or waits for the helper, until the
    // oldest page can be reported and its slot used again.
    while (count_ == kSlots)
        advance(lock, done);
    Slot& slot = slotAt(count_);
    slot.state = Slot::State::Waiting;
    slot.number = number;
    slot.name.assign(name);
    slot.bytes.assign(bytes);
    ++count_;
    ++waiting_;
    if (!helper_.joinable() && ++handedOver_ >= kHelperAfterPages)
        helper_ = std::thread([this] { runHelper(); });
    changed_.notify_all();
    // The helper is left one page to take; the rest this thread writes.
    while (waiting_ > (helper_.joinable() ? 1u : 0u)) {
        Slot* taken = takeWaiting();
        writeSlot(*taken, ownFolder_, lock);
    }
    handBack(lock, done);
}

void PageFiles::finish(const Done& done)
{
    std::unique_lock lock(mutex_);
    while (count_ > 0)
        advance(lock, done);
}

void PageFiles::advance(std::unique_lock<std::mutex>& lock, const Done& done)
{
    if (Slot* slot = takeWaiting())
        writeSlot(*slot, ownFolder_, lock);
    else if (slotAt(0).state != Slot::State::Finished)
        changed_.wait(lock);
    handBack(lock, done);
}

PageFiles::Slot* PageFiles::takeWaiting()
{
    if (waiting_ == 0)
        return nullptr;
    Slot& slot = slotAt(count_ - waiting_);
    slot.state = Slot::State::Writing;
    --waiting_;
    return &slot;
}

void PageFiles::writeSlot(Slot& slot, FolderWriter& folder, std::unique_lock<std::mutex>& lock)
{
    // The slot is this writer's until it is marked finished: nothing else
    // reads or reuses a slot that is being written.
    lock.unlock();
    const Outcome written = folder.writeWholeFile(slot.name, slot.bytes);
    lock.lock();
    slot.ok = written.ok();
    slot.cause = written.cause;
    slot.state = Slot::State::Finished;
    changed_.notify_all();
}

void PageFiles::handBack(std::unique_lock<std::mutex>& lock, const Done& done)
{
    reports_.clear();
    while (count_ > 0 && slotAt(0).state == Slot::State::Finished) {
        const Slot& slot = slotAt(0);
        reports_.push_back({slot.number, slot.ok, slot.cause});
        first_ = (first_ + 1) % kSlots;
        --count_;
    }
    if (reports_.empty())
        return;
    changed_.notify_all();
    lock.unlock();
    for (const Written& written : reports_)
        done(written);
    lock.lock();
}

void PageFiles::runHelper()
{
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return stop_ || waiting_ > 0; });
        if (Slot* slot = takeWaiting())
            writeSlot(*slot, helperFolder_, lock);
        else if (stop_)
            return;
    }
}

}  // namespace pelkora::output
