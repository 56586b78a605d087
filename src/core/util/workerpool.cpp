#include "core/util/workerpool.h"

#include <algorithm>

namespace vro {

TWorkerPool::TWorkerPool(unsigned threads)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    threads = std::min(threads, kMaxThreads);
    workers_.reserve(threads - 1);
    for (unsigned k = 1; k < threads; ++k)
        workers_.emplace_back([this] { Work(); });
}

TWorkerPool::~TWorkerPool()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_)
        t.join();
}

void TWorkerPool::Drain()
{
    for (;;) {
        const std::size_t i = next_.fetch_add(1, std::memory_order_relaxed);
        if (i >= count_)
            return;
        try {
            (*job_)(i);
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!error_)
                error_ = std::current_exception();
        }
    }
}

void TWorkerPool::Run(std::size_t count, const std::function<void(std::size_t)>& job)
{
    if (count == 0)
        return;
    if (workers_.empty() || count == 1) {
        for (std::size_t i = 0; i < count; ++i)
            job(i);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        job_ = &job;
        count_ = count;
        next_.store(0, std::memory_order_relaxed);
        error_ = nullptr;
        open_ = true;
        ++batch_;
    }
    wake_.notify_all();
    Drain();
    std::exception_ptr error;
    {
        std::unique_lock lock(mutex_);
        // Every job is taken: workers that wake from now on stay out, and
        // those inside finish theirs before the job (the caller's) goes. A
        // worker the machine has not scheduled yet is not waited for.
        open_ = false;
        done_.wait(lock, [this] { return active_ == 0; });
        job_ = nullptr;
        error = error_;
        error_ = nullptr;
    }
    if (error)
        std::rethrow_exception(error);
}

void TWorkerPool::Work()
{
    std::size_t seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || batch_ != seen; });
            if (stop_)
                return;
            seen = batch_;
            if (!open_)
                continue;
            ++active_;
        }
        Drain();
        bool last = false;
        {
            std::lock_guard lock(mutex_);
            last = --active_ == 0;
        }
        if (last)
            done_.notify_one();
    }
}

} // namespace vro
