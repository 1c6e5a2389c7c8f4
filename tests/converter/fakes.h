#pragma once

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "doubles.h"
#include "rates/rates_reply.h"

namespace ovantic::fakes {

// A converter in a fixed locale, with a clipboard the test can read.
struct ConverterUnderTest {
  explicit ConverterUnderTest(std::string locale = "en_US")
      : clipboard(std::make_shared<RecordingClipboard>()),
        view(CurrencyConverterView::create(
            ConverterServices{nullptr, nullptr, clipboard, std::move(locale)})) {}

  std::shared_ptr<RecordingClipboard> clipboard;
  std::shared_ptr<CurrencyConverterView> view;
};

// The full table a real reply brings, every code of it: where codes matter (a unit word that
// spells one, a name several currencies share), ten currencies hide what goes wrong.
inline const RateTable& fullRateTable() {
  static const RateTable table = [] {
    std::ifstream in(std::string(OVANTIC_TEST_DATA_DIR) + "/latest_usd.json");
    return parseRatesReply(std::string(std::istreambuf_iterator<char>(in), {})).rates;
  }();
  return table;
}

inline const std::string kIndia = "\U0001F1EE\U0001F1F3";
inline const std::string kUnitedStates = "\U0001F1FA\U0001F1F8";

}  // namespace ovantic::fakes
