#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "panel/converter_panel.h"

namespace ovantic::panel_testing {

// A main queue with a clock the test moves by hand: post() runs at the next drain, postAfter()
// when the clock reaches its due time. No test ever waits real seconds.
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

// Keeps every request open until the test answers it.
class ManualHttpClient : public HttpClient {
 public:
  void get(const std::string& url, std::function<void(Reply)> done) override {
    requests.push_back({url, std::move(done)});
  }

  void answer(std::size_t index, Reply reply) {
    auto done = std::move(requests.at(index).done);
    requests.at(index).done = nullptr;
    done(std::move(reply));
  }

  struct Request {
    std::string url;
    std::function<void(Reply)> done;
  };
  std::vector<Request> requests;
};

class RecordingClipboard : public Clipboard {
 public:
  void replaceWithText(std::string_view text) override { texts.emplace_back(text); }
  std::vector<std::string> texts;
};

inline const std::string kIndiaFlag = "\U0001F1EE\U0001F1F3";
inline const std::string kRupee = "\u20B9";

// Units of each currency per US dollar, as a reply would carry them.
inline const std::map<std::string, double> kRates = {
    {"USD", 1.0}, {"INR", 83.0}, {"EUR", 0.9}, {"GBP", 0.8}, {"JPY", 150.0}};

inline const char* kGoodReply =
    R"({"base":"USD","rates":{"USD":1,"INR":83.0,"EUR":0.9,"GBP":0.8,"JPY":150.0}})";

// One panel on its own converter, with fakes the test drives, in a fixed locale.
struct PanelHarness {
  PanelHarness()
      : queue(std::make_shared<ClockedMainQueue>()),
        http(std::make_shared<ManualHttpClient>()),
        clipboard(std::make_shared<RecordingClipboard>()),
        model(CurrencyConverterView::create(ConverterServices{queue, http, clipboard, "en_US"})),
        panel(std::make_unique<ConverterPanel>(model)) {}

  template <typename T>
  T* find(const char* name) const {
    return panel->findChild<T*>(QString::fromLatin1(name));
  }

  QLineEdit* amountField() const { return find<QLineEdit>("amountField"); }
  QLabel* resultLabel() const { return find<QLabel>("resultLabel"); }
  QWidget* widget(const char* name) const { return find<QWidget>(name); }

  // Shows the panel and answers its opening fetch with the test rates.
  void showWithRates() {
    panel->show();
    http->answer(http->requests.size() - 1, HttpClient::Reply{std::string(kGoodReply), {}});
    queue->drain();
  }

  // What a redraw after an outside change of state looks like to the panel.
  void stateChanged() const {
    if (model->onStateChange) model->onStateChange();
  }

  void type(const QString& text) const { QTest::keyClicks(amountField(), text); }

  void replaceAmount(const QString& text) const {
    amountField()->selectAll();
    if (text.isEmpty()) {
      QTest::keyClick(amountField(), Qt::Key_Backspace);
    } else {
      type(text);
    }
  }

  std::shared_ptr<ClockedMainQueue> queue;
  std::shared_ptr<ManualHttpClient> http;
  std::shared_ptr<RecordingClipboard> clipboard;
  std::shared_ptr<CurrencyConverterView> model;
  std::unique_ptr<ConverterPanel> panel;
};

inline QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace ovantic::panel_testing
