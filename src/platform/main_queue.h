#pragma once

#include <chrono>
#include <functional>

namespace ovantic {

// The UI thread's queue. Everything that touches converter state runs through it.
class MainQueue {
 public:
  virtual ~MainQueue() = default;
  virtual void post(std::function<void()> task) = 0;
  virtual void postAfter(std::chrono::milliseconds delay, std::function<void()> task) = 0;
};

}  // namespace ovantic
