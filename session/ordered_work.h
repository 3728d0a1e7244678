#pragma once
// Runs one job per input on worker threads, a few inputs ahead of the one
// thread that takes the results, and hands those results over in input
// order. Results done but not yet taken may also be bounded by their weight
// (the bytes they hold): past the budget no worker starts on an input beyond
// the one the taker waits for. What the jobs make is the taker's alone once taken, so a job must
// only read what it is given; everything that writes stays with the taker.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pelkora::session {

// workers 0: one per core.
inline int resolvedWorkerCount(int workers)
{
    if (workers > 0)
        return workers;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

template <typename Result>
class OrderedWork {
public:
    using Job = std::function<Result(std::size_t index)>;
    using Weigh = std::function<std::uint64_t(const Result&)>;

    // With one worker no thread is started: take() runs the job itself, so
    // a one-worker run is the plain sequential one.
    OrderedWork(std::size_t count, Job job, int workers, Weigh weigh = {},
                std::uint64_t budget = std::numeric_limits<std::uint64_t>::max())
            : job_(std::move(job)), weigh_(std::move(weigh)), budget_(budget), results_(count), weights_(count, 0),
              window_(static_cast<std::size_t>(workers) + 2)
    {
        if (workers <= 1)
            return;
        const std::size_t threads = std::min(static_cast<std::size_t>(workers), count);
        threads_.reserve(threads);
        for (std::size_t i = 0; i < threads; ++i)
            threads_.emplace_back([this] { work(); });
    }

    // What was not taken is dropped; jobs already running are waited out.
    ~OrderedWork()
    {
        {
            std::lock_guard lock(mutex_);
            abandoned_ = true;
        }
        changed_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    OrderedWork(const OrderedWork&) = delete;
    OrderedWork& operator=(const OrderedWork&) = delete;

    // The result of input number index; each is taken once, in order.
    Result take(std::size_t index)
    {
        if (threads_.empty())
            return job_(index);
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return results_[index].has_value(); });
        Result result = std::move(*results_[index]);
        results_[index].reset();
        held_ -= weights_[index];
        taken_ = index + 1;
        lock.unlock();
        changed_.notify_all();
        return result;
    }

private:
    void work()
    {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(mutex_);
                // A bounded window: no more inputs held than the taker is about to want.
                changed_.wait(lock, [&] {
                    return abandoned_ || next_ == results_.size()
                           || (next_ < taken_ + window_ && (held_ < budget_ || next_ == taken_));
                });
                if (abandoned_ || next_ == results_.size())
                    return;
                index = next_++;
            }
            Result result = job_(index);
            const std::uint64_t weight = weigh_ ? weigh_(result) : 0;
            {
                std::lock_guard lock(mutex_);
                results_[index] = std::move(result);
                weights_[index] = weight;
                held_ += weight;
            }
            changed_.notify_all();
        }
    }

    Job job_;
    Weigh weigh_;
    std::uint64_t budget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<Result>> results_;
    std::vector<std::uint64_t> weights_;
    std::uint64_t held_ = 0;  // the weight of the results done and not taken
    std::size_t window_;
    std::size_t next_ = 0;   // the next input a worker starts on
    std::size_t taken_ = 0;  // inputs the taker has had
    bool abandoned_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace pelkora::session
