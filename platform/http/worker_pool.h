#pragma once
// The threads that run the HTTP server's handlers (pages, AJAX, uploads).
// Its size bounds the handlers running at once; further jobs wait in a
// queue. Workers are started only when every existing one is busy, and the
// one that became idle last takes the next job: the same few threads (and
// their stacks and allocator arenas) serve day after day instead of every
// thread of the pool being touched in turn, which kept the server's memory
// creeping up for hours.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace plat::http {

class WorkerPool {
 public:
  explicit WorkerPool(std::size_t maxThreads);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void enqueue(std::function<void()> job);
  // Runs what is queued, then ends and joins every worker.
  void shutdown();

  std::size_t ThreadCount() const;
  std::size_t IdleCount() const;

 private:
  struct Worker {
    std::thread thread;
    std::condition_variable wake;
    std::function<void()> job;
  };
  void Run(Worker* w);

  const std::size_t max_;
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::vector<Worker*> idle_;                // the one idle last at the back
  std::deque<std::function<void()>> queue_;  // jobs waiting for a worker
  bool shutdown_ = false;
};

}  // namespace plat::http
