#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "doubles.h"

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

inline const std::string kIndia = "\U0001F1EE\U0001F1F3";
inline const std::string kUnitedStates = "\U0001F1FA\U0001F1F8";

}  // namespace ovantic::fakes
