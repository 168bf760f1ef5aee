#include "core/SharedLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace pexora {

namespace {

class SharedRun {
 public:
  SharedRun(size_t count, const std::function<void(size_t)>& body) : count_(count), body_(body) {}

  // False once nothing is left or something failed.
  bool RunOne() {
    if (failed_.load()) return false;
    const size_t index = next_.fetch_add(1);
    if (index >= count_) return false;
    try {
      body_(index);
    } catch (...) {
      Fail(std::current_exception());
      return false;
    }
    return true;
  }

  void Fail(std::exception_ptr error) {
    std::lock_guard lock(mutex_);
    if (!error_) error_ = error;
    failed_ = true;
  }

  void WorkerLoop() {
    while (RunOne()) {}
    std::lock_guard lock(mutex_);
    ++finished_;
    changed_.notify_all();
  }

  // Waits up to a few milliseconds; true once every worker has finished.
  bool WaitForWorkers(size_t workers) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, std::chrono::milliseconds(5), [&] { return finished_ >= workers; });
    return finished_ >= workers;
  }

  std::exception_ptr error() const { return error_; }

 private:
  const size_t count_;
  const std::function<void(size_t)>& body_;
  std::atomic<size_t> next_{0};
  std::atomic<bool> failed_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t finished_ = 0;
  std::exception_ptr error_;
};

}  // namespace

void RunShared(size_t count, unsigned threads, const std::function<void(size_t)>& body,
               const std::function<void()>& onCaller) {
  SharedRun run(count, body);
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < threads && t < count; ++t) {
    try {
      workers.emplace_back([&run] { run.WorkerLoop(); });
    } catch (const std::system_error&) {
      break;  // fewer threads give the same result
    }
  }
  try {
    while (run.RunOne()) onCaller();
    while (!run.WaitForWorkers(workers.size())) onCaller();
  } catch (...) {
    run.Fail(std::current_exception());
  }
  for (std::thread& worker : workers) worker.join();
  if (run.error()) std::rethrow_exception(run.error());
}

}  // namespace pexora
