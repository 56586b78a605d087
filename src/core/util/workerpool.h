// A small pool of worker threads for work that splits into independent
// jobs (the column extremes of the channels of a redraw). The threads start
// with the pool and wait for work, so that running jobs never waits for a
// thread to start; the calling thread takes jobs too and returns when all
// are done. One pool runs one batch at a time: Run is for one thread (the
// owner's), not for several at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vro {

class TWorkerPool {
public:
    // `threads` counts the caller: 1 runs every job on the calling thread;
    // 0 takes the number of processors (at most kMaxThreads).
    explicit TWorkerPool(unsigned threads = 0);
    ~TWorkerPool();
    TWorkerPool(const TWorkerPool&) = delete;
    TWorkerPool& operator=(const TWorkerPool&) = delete;

    static constexpr unsigned kMaxThreads = 8;
    unsigned ThreadCount() const { return static_cast<unsigned>(workers_.size()) + 1; }

    // Calls job(0) ... job(count - 1), each once, spread over the threads,
    // and returns when all have returned. The first exception a job throws
    // is thrown here once the others are done.
    void Run(std::size_t count, const std::function<void(std::size_t)>& job);

private:
    void Work();
    // Takes jobs of the current batch until none is left.
    void Drain();

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    bool stop_ = false;
    std::size_t batch_ = 0;  // batches started (a worker looks at each once)
    bool open_ = false;      // the current batch still has jobs to take
    std::size_t active_ = 0; // workers inside the current batch
    const std::function<void(std::size_t)>* job_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
    std::exception_ptr error_;
};

} // namespace vro
