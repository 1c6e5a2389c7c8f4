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
#include "doubles.h"
#include "panel/converter_panel.h"

namespace ovantic::panel_testing {

using fakes::ClockedMainQueue;
using fakes::ManualHttpClient;
using fakes::RecordingClipboard;

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
        model(CurrencyConverterView::create(services(queue, http, clipboard))),
        panel(std::make_unique<ConverterPanel>(model)) {}

  // Only the first service: how the second stands in is the engine's business, tested there.
  static ConverterServices services(std::shared_ptr<ClockedMainQueue> queue,
                                    std::shared_ptr<ManualHttpClient> http,
                                    std::shared_ptr<RecordingClipboard> clipboard) {
    ConverterServices out{std::move(queue), std::move(http), std::move(clipboard), "en_US"};
    out.fallbackRatesUrls.clear();
    return out;
  }

  template <typename T>
  T* find(const char* name) const {
    return panel->findChild<T*>(QString::fromLatin1(name));
  }

  QLineEdit* amountField() const { return find<QLineEdit>("amountField"); }
  QLabel* resultLabel() const { return find<QLabel>("resultLabel"); }
  QWidget* widget(const char* name) const { return find<QWidget>(name); }

  // Shows the panel as the tray does, active with the amount selected for typing, and answers its
  // opening fetch with the test rates.
  void showWithRates() {
    panel->show();
    panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel.get()));
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
