#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <utility>

#include "platform/main_queue.h"

namespace ovantic::testing {

// A main queue the test drains on its own thread, so replies are applied exactly where a real
// event loop would apply them and the test decides when.
class ManualMainQueue : public MainQueue {
 public:
  void post(std::function<void()> task) override {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    arrived_.notify_all();
  }

  void postAfter(std::chrono::milliseconds, std::function<void()> task) override {
    post(std::move(task));
  }

  // Waits for the next task and runs it here. The bound only keeps a broken build from hanging
  // the suite; nothing in the tests depends on how fast a task comes.
  bool runNext(std::chrono::seconds bound = std::chrono::seconds(20)) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      if (!arrived_.wait_for(lock, bound, [this] { return !tasks_.empty(); })) return false;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    return true;
  }

  std::size_t pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace ovantic::testing
