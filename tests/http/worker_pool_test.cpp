// The HTTP server's worker pool: grows only when every worker is busy,
// reuses the worker idle last, queues beyond its limit, drains on shutdown.
#include "platform/http/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <set>

using plat::http::WorkerPool;

TEST(WorkerPool, SequentialJobsRunOnOneThread) {
  WorkerPool pool(8);
  std::atomic<int> done{0};
  std::mutex m;
  std::set<std::thread::id> threads;
  for (int i = 0; i < 50; ++i) {
    pool.enqueue([&] {
      std::lock_guard<std::mutex> lock(m);
      threads.insert(std::this_thread::get_id());
      ++done;
    });
    while (done.load() < i + 1 || pool.IdleCount() < pool.ThreadCount()) std::this_thread::yield();
  }
  pool.shutdown();
  EXPECT_EQ(threads.size(), 1u) << "an idle worker takes the next job";
  EXPECT_EQ(done.load(), 50);
}

TEST(WorkerPool, GrowsToItsLimitThenQueuesAndDrainsOnShutdown) {
  WorkerPool pool(3);
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
  std::atomic<int> started{0}, done{0};
  for (int i = 0; i < 7; ++i)
    pool.enqueue([&, gate] {
      ++started;
      gate.wait();
      ++done;
    });
  while (started.load() < 3) std::this_thread::yield();
  EXPECT_EQ(pool.ThreadCount(), 3u);
  EXPECT_EQ(started.load(), 3) << "the others wait in the queue";
  release.set_value();
  pool.shutdown();
  EXPECT_EQ(done.load(), 7) << "queued jobs run before the workers end";
  pool.enqueue([&] { ++done; });
  EXPECT_EQ(done.load(), 7) << "nothing runs after shutdown";
}

TEST(WorkerPool, AThrowingJobDoesNotEndItsWorker) {
  WorkerPool pool(1);
  std::atomic<int> done{0};
  pool.enqueue([] { throw std::runtime_error("broken connection"); });
  pool.enqueue([&] { ++done; });
  pool.shutdown();
  EXPECT_EQ(done.load(), 1);
  EXPECT_EQ(pool.ThreadCount(), 0u);
}
