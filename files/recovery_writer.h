#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// The thread that writes the recovery copies, so that coding and writing never hold up the
// window: jobs run one after another in the order they were posted. A job that fails (or
// runs out of memory) ends quietly; the next one runs.
class RecoveryWriter {
 public:
  RecoveryWriter() = default;
  ~RecoveryWriter();  // runs the jobs posted, then ends the thread
  RecoveryWriter(const RecoveryWriter&) = delete;
  RecoveryWriter& operator=(const RecoveryWriter&) = delete;

  // False when the thread cannot be started.
  bool Start();
  bool Running() const { return thread_.joinable(); }
  // Without a thread the job runs at once.
  void Post(std::function<void()> job);
  // No job waiting or running.
  bool Idle() const { return pending_.load(std::memory_order_acquire) == 0; }
  // Waits until every job posted so far has run.
  void Finish();

 private:
  void Run();

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::deque<std::function<void()>> jobs_;
  std::atomic<int> pending_{0};
  bool stop_ = false;
};
