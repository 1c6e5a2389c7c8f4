#include <chrono>
#include <utility>

#include "converter/currency_converter_view.h"

namespace ovantic {
namespace {

constexpr auto kCopiedFeedback = std::chrono::milliseconds(2000);

}  // namespace

void CurrencyConverterView::applyChanges() {
  // Each handler sees one change of one field and converts once for it. A field written twice
  // between two looks counts as one change, the way a redraw coalesces state writes.
  const bool fromChanged = fromCurrency != seenFrom_;
  const bool toChanged = toCurrency != seenTo_;
  const bool amountChanged = amountText != seenAmount_;
  // Only a picker or the swap writes the pair's fields: that is the user's choice.
  if (fromChanged) chosenFrom_ = fromCurrency;
  if (toChanged) chosenTo_ = toCurrency;
  if (fromChanged || toChanged) rememberPair(fromChanged, toChanged);
  if (!fromChanged && !toChanged && !amountChanged) return;
  seenAmount_ = amountText;
  // The whole text says which currencies it names, each time: "45 lak" on its way to "45 lakh"
  // names none, and an amount that no longer names one gives the chosen pair back.
  const auto reading = readAmountText(amountText);
  if (amountChanged) detectedFromUnit = reading ? reading->unit : UnitType(UnitType::none);
  followNamedCurrencies(reading);
  seenFrom_ = fromCurrency;
  seenTo_ = toCurrency;
  for (const bool changed : {fromChanged, toChanged, amountChanged}) {
    if (changed) convert();
  }
}

void CurrencyConverterView::followNamedCurrencies(const std::optional<AmountReading>& reading) {
  std::string from = chosenFrom_;
  std::string to = chosenTo_;
  const std::string source = reading ? reading->currency : std::string();
  const std::string target = reading ? reading->target : std::string();
  if (!source.empty()) {
    if (source == to && target.empty()) to = from;
    from = source;
  }
  if (!target.empty()) {
    if (target == from && source.empty()) from = to;
    to = target;
  }
  fromCurrency = std::move(from);
  toCurrency = std::move(to);
}

void CurrencyConverterView::editAmount(std::string text) {
  // What the user types stands for itself, whatever a swap carried before.
  carriedAmount_.reset();
  amountText = std::move(text);
  applyChanges();
}

void CurrencyConverterView::selectFromCurrency(std::string code) {
  fromCurrency = std::move(code);
  applyChanges();
}

void CurrencyConverterView::selectToCurrency(std::string code) {
  toCurrency = std::move(code);
  applyChanges();
}

void CurrencyConverterView::copyResult() {
  // "Copied!" takes no clicks, so at most one reset of the result row is pending.
  if (showCopiedForMain) return;
  // "---", "Invalid" and a result waiting for rates hold no amount worth pasting anywhere.
  if (!numberInResult(resultText)) return;
  copyToClipboard(extractValueWithCurrency(resultText));
  if (scheduleCopiedReset([](CurrencyConverterView& view) { view.showCopiedForMain = false; })) {
    showCopiedForMain = true;
  }
}

void CurrencyConverterView::copyConversion(const ConversionEntry& entry) {
  copyToClipboard(formatValueWithCurrency(entry.value, entry.unit, toCurrency));
  // Every click schedules its own reset and none is cancelled: the first click's reset also ends
  // a later click's "Copied!".
  if (scheduleCopiedReset([](CurrencyConverterView& view) { view.copiedUnit.reset(); })) {
    copiedUnit = entry.unit;
  }
}

void CurrencyConverterView::copyExact() {
  if (showCopiedForExact || exactText.empty()) return;
  copyToClipboard(exactText);
  if (scheduleCopiedReset([](CurrencyConverterView& view) { view.showCopiedForExact = false; })) {
    showCopiedForExact = true;
  }
}

bool CurrencyConverterView::scheduleCopiedReset(std::function<void(CurrencyConverterView&)> reset) {
  const auto& queue = services_.mainQueue;
  if (!queue) return false;
  // The panel may be closed, and this converter dropped, before the reset is due.
  queue->postAfter(kCopiedFeedback, [weak = weak_from_this(), reset = std::move(reset)] {
    const auto self = weak.lock();
    if (!self) return;
    reset(*self);
    if (self->onStateChange) self->onStateChange();
  });
  return true;
}

}  // namespace ovantic
