#include <algorithm>
#include <string>
#include <vector>

#include "converter/currency_converter_view.h"
#include "rates/currency_catalogue.h"

namespace ovantic {
namespace {

constexpr std::string_view kFromKey = "pair/from";
constexpr std::string_view kToKey = "pair/to";
constexpr std::string_view kRecentKey = "pair/recent";

// The list as written holds at most kRecentCurrencyCount codes; a hand edit may hold any number,
// and only the most recent few of them can ever be offered.
constexpr std::size_t kMostCodesRead = 4 * kRecentCurrencyCount;

std::vector<std::string> splitCodes(const std::string& text) {
  std::vector<std::string> codes;
  std::size_t start = 0;
  while (start <= text.size() && codes.size() < kMostCodesRead) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    codes.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return codes;
}

std::string joinCodes(const std::vector<std::string>& codes) {
  std::string text;
  for (const std::string& code : codes) text += (text.empty() ? "" : ",") + code;
  return text;
}

}  // namespace

void CurrencyConverterView::restoreRememberedPair() {
  const auto& preferences = services_.preferences;
  if (!preferences) return;
  // The file is the user's to edit: whatever is not a code is left where it lies, so a stray
  // value can neither reach the rate table's lookups nor be shown as a currency.
  if (const auto from = preferences->value(kFromKey); from && isCurrencyCode(*from)) {
    fromCurrency = *from;
  }
  if (const auto to = preferences->value(kToKey); to && isCurrencyCode(*to)) toCurrency = *to;
  chosenFrom_ = fromCurrency;
  chosenTo_ = toCurrency;
  if (const auto recent = preferences->value(kRecentKey)) {
    // Oldest first, so the most recent ends in front and an overlong list loses its oldest.
    const std::vector<std::string> codes = splitCodes(*recent);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) {
      recentCurrencies = withRecentCurrency(std::move(recentCurrencies), *code);
    }
  }
  // Restored values are where the converter starts, not changes to convert for.
  seenFrom_ = fromCurrency;
  seenTo_ = toCurrency;
}

void CurrencyConverterView::rememberPair(bool fromChanged, bool toChanged) {
  if (toChanged) recentCurrencies = withRecentCurrency(recentCurrencies, chosenTo_);
  if (fromChanged) recentCurrencies = withRecentCurrency(recentCurrencies, chosenFrom_);
  const auto& preferences = services_.preferences;
  if (!preferences) return;
  preferences->setValue(kFromKey, chosenFrom_);
  preferences->setValue(kToKey, chosenTo_);
  preferences->setValue(kRecentKey, joinCodes(recentCurrencies));
}

}  // namespace ovantic
