#pragma once

#include "platform/main_queue.h"

namespace ovantic {

// The Qt event loop of the GUI thread as the engine's main queue. Safe to post from any thread.
class QtMainQueue : public MainQueue {
 public:
  void post(std::function<void()> task) override;
  void postAfter(std::chrono::milliseconds delay, std::function<void()> task) override;
};

}  // namespace ovantic
