#include "platform/http/worker_pool.h"

#include "platform/log.h"

namespace plat::http {

WorkerPool::WorkerPool(std::size_t maxThreads) : max_(maxThreads > 0 ? maxThreads : 1) {}

WorkerPool::~WorkerPool() { shutdown(); }

void WorkerPool::enqueue(std::function<void()> job) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shutdown_) return;
  if (!idle_.empty()) {
    Worker* w = idle_.back();
    idle_.pop_back();
    w->job = std::move(job);
    w->wake.notify_one();
    return;
  }
  if (workers_.size() < max_) {
    auto w = std::make_unique<Worker>();
    w->job = std::move(job);
    Worker* raw = w.get();
    workers_.push_back(std::move(w));
    raw->thread = std::thread([this, raw] { Run(raw); });
    return;
  }
  queue_.push_back(std::move(job));
}

void WorkerPool::Run(Worker* w) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    w->wake.wait(lock, [&] { return w->job || shutdown_; });
    if (!w->job) return;  // shut down with nothing to do
    auto job = std::move(w->job);
    w->job = nullptr;
    lock.unlock();
    try {
      job();
    } catch (const std::exception& e) {
      LogLine(std::string("HTTP worker: ") + e.what());
    } catch (...) {
      LogLine("HTTP worker: unknown error");
    }
    job = nullptr;  // release what the job holds before going idle
    lock.lock();
    if (!queue_.empty()) {
      w->job = std::move(queue_.front());
      queue_.pop_front();
    } else if (!shutdown_) {
      idle_.push_back(w);
    }
  }
}

void WorkerPool::shutdown() {
  std::vector<std::thread> threads;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutdown_ && workers_.empty()) return;
    shutdown_ = true;
    idle_.clear();
    for (auto& w : workers_) w->wake.notify_one();
  }
  for (auto& w : workers_)
    if (w->thread.joinable()) w->thread.join();
  std::lock_guard<std::mutex> lock(mutex_);
  workers_.clear();
}

std::size_t WorkerPool::ThreadCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return workers_.size();
}

std::size_t WorkerPool::IdleCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return idle_.size();
}

}  // namespace plat::http
