#include "core/util/workerpool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using vro::TWorkerPool;

TEST(WorkerPool, EveryJobRunsOnceInEveryBatch)
{
    for (const unsigned threads : {1u, 2u, 3u, 8u}) {
        TWorkerPool pool(threads);
        EXPECT_EQ(pool.ThreadCount(), threads);
        // Many batches back to back: a worker that wakes late for one batch
        // must neither miss work nor run a job of the next one twice.
        for (std::size_t count : {0u, 1u, 2u, 7u, 96u, 1000u}) {
            for (int round = 0; round < 20; ++round) {
                std::vector<int> hits(count, 0); // each slot written by one job only
                std::atomic<std::size_t> total{0};
                pool.Run(count, [&](std::size_t i) {
                    ++hits[i];
                    total.fetch_add(i + 1, std::memory_order_relaxed);
                });
                EXPECT_EQ(total.load(), count * (count + 1) / 2);
                for (std::size_t i = 0; i < count; ++i)
                    ASSERT_EQ(hits[i], 1) << threads << " threads, job " << i << " of " << count;
            }
        }
    }
}

TEST(WorkerPool, JobsRunOnSeveralThreadsAndTheirResultsAreSeenAfterRun)
{
    TWorkerPool pool(4);
    std::vector<std::vector<int>> results(64);
    std::vector<std::thread::id> ids(64);
    pool.Run(results.size(), [&](std::size_t i) {
        ids[i] = std::this_thread::get_id();
        results[i].assign(10000, static_cast<int>(i));
    });
    for (std::size_t i = 0; i < results.size(); ++i) {
        ASSERT_EQ(results[i].size(), 10000u);
        EXPECT_EQ(results[i].back(), static_cast<int>(i));
    }
    // The caller takes part: it ran at least one job unless the workers
    // took them all, and no job ran outside the pool's threads.
    EXPECT_NE(ids[0], std::thread::id());
}

TEST(WorkerPool, AnExceptionReachesTheCallerAfterTheOtherJobs)
{
    TWorkerPool pool(3);
    std::atomic<int> ran{0};
    EXPECT_THROW(pool.Run(50,
                          [&](std::size_t i) {
                              ran.fetch_add(1);
                              if (i == 17)
                                  throw std::runtime_error("job 17");
                          }),
                 std::runtime_error);
    EXPECT_EQ(ran.load(), 50);
    // The pool is usable afterwards.
    std::atomic<int> again{0};
    pool.Run(5, [&](std::size_t) { again.fetch_add(1); });
    EXPECT_EQ(again.load(), 5);
}

TEST(WorkerPool, ZeroThreadsMeansOnePerProcessorWithinTheLimit)
{
    TWorkerPool pool(0);
    EXPECT_GE(pool.ThreadCount(), 1u);
    EXPECT_LE(pool.ThreadCount(), TWorkerPool::kMaxThreads);
    TWorkerPool many(100);
    EXPECT_EQ(many.ThreadCount(), TWorkerPool::kMaxThreads);
}
