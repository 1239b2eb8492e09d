#include "files/recovery_writer.h"

#include <system_error>

namespace {

void RunQuietly(const std::function<void()>& job) {
  try {
    job();
  } catch (...) {
    // A copy that could not be written is tried again with the next change.
  }
}

}  // namespace

RecoveryWriter::~RecoveryWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

bool RecoveryWriter::Start() {
  if (thread_.joinable()) return true;
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void RecoveryWriter::Post(std::function<void()> job) {
  if (!thread_.joinable()) {
    RunQuietly(job);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    pending_.fetch_add(1, std::memory_order_relaxed);
  }
  wake_.notify_one();
}

void RecoveryWriter::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return pending_.load(std::memory_order_relaxed) == 0; });
}

void RecoveryWriter::Run() {
  for (;;) {
    std::function<void()> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
      if (jobs_.empty()) return;  // stopping, and everything ran
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    RunQuietly(job);
    job = nullptr;  // what the job held goes on this thread, before it counts as done
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.fetch_sub(1, std::memory_order_release);
    }
    done_.notify_all();
  }
}
