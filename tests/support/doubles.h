#pragma once

// The stand-ins every test and benchmark drives the engine through: a main queue with a clock
// moved by hand, an HTTP client that holds each request until answered, and a clipboard that
// records, preferences and a rate store in memory. One of each, so a change to a seam is made once.

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/clipboard.h"
#include "platform/http_client.h"
#include "platform/main_queue.h"
#include "platform/preferences.h"
#include "platform/rate_store.h"

namespace ovantic::fakes {

// post() runs at the next drain, postAfter() when the clock reaches its due time. No test ever
// waits real seconds.
class ClockedMainQueue : public MainQueue {
 public:
  void post(std::function<void()> task) override {
    postAfter(std::chrono::milliseconds(0), std::move(task));
  }

  void postAfter(std::chrono::milliseconds delay, std::function<void()> task) override {
    tasks_.push_back({now_ + delay, nextSequence_++, std::move(task)});
  }

  // Runs every task due by now, earliest first, including tasks that those tasks post.
  void drain() {
    for (;;) {
      auto next = tasks_.end();
      for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
        if (it->due > now_) continue;
        if (next == tasks_.end() || it->due < next->due ||
            (it->due == next->due && it->sequence < next->sequence)) {
          next = it;
        }
      }
      if (next == tasks_.end()) return;
      auto task = std::move(next->task);
      tasks_.erase(next);
      task();
    }
  }

  // Moves the clock forward step by step through every due time, so tasks run at their moment.
  void advance(std::chrono::milliseconds by) {
    const auto target = now_ + by;
    for (;;) {
      drain();
      std::chrono::milliseconds nextDue = target;
      for (const auto& task : tasks_) {
        if (task.due > now_ && task.due < nextDue) nextDue = task.due;
      }
      now_ = nextDue;
      if (now_ >= target) break;
    }
    drain();
  }

  std::size_t pending() const { return tasks_.size(); }

 private:
  struct Task {
    std::chrono::milliseconds due;
    unsigned sequence;
    std::function<void()> task;
  };
  std::chrono::milliseconds now_{0};
  unsigned nextSequence_ = 0;
  std::vector<Task> tasks_;
};

// Keeps every request open until the test answers it; counts completions, so a test can tell a
// reply was delivered exactly once even when nobody was left to apply it.
class ManualHttpClient : public HttpClient {
 public:
  void get(const std::string& url, std::function<void(Reply)> done) override {
    requests.push_back({url, std::move(done)});
  }

  void answer(std::size_t index, Reply reply) {
    auto done = std::move(requests.at(index).done);
    requests.at(index).done = nullptr;
    ++completions;
    if (done) done(std::move(reply));
  }
  void answerLast(Reply reply) { answer(requests.size() - 1, std::move(reply)); }
  void answerLast(std::string body) { answerLast(Reply{std::move(body), std::nullopt}); }

  std::vector<std::string> urls() const {
    std::vector<std::string> out;
    for (const Request& request : requests) out.push_back(request.url);
    return out;
  }

  struct Request {
    std::string url;
    std::function<void(Reply)> done;
  };
  std::vector<Request> requests;
  int completions = 0;
};

// Keeps the saved bytes in memory, so no engine test touches the disk.
class MemoryRateStore : public RateStore {
 public:
  std::optional<std::string> load() override { return bytes; }
  bool save(std::string_view saved) override {
    bytes = std::string(saved);
    ++saves;
    return true;
  }
  std::optional<std::string> bytes;
  int saves = 0;
};

class RecordingClipboard : public Clipboard {
 public:
  void replaceWithText(std::string_view text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

// Preferences held in memory, so no test reads or writes the user's own.
class MemoryPreferences : public Preferences {
 public:
  std::optional<std::string> value(std::string_view key) const override {
    const auto found = values.find(std::string(key));
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  void setValue(std::string_view key, std::string_view value) override {
    values[std::string(key)] = std::string(value);
  }
  std::map<std::string, std::string> values;
};

}  // namespace ovantic::fakes
