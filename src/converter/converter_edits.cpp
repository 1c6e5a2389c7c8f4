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
  if (fromChanged) {
    seenFrom_ = fromCurrency;
    convert();
  }
  if (toChanged) {
    seenTo_ = toCurrency;
    convert();
  }
  if (fromChanged || toChanged) rememberPair(fromChanged, toChanged);
  if (amountText != seenAmount_) {
    seenAmount_ = amountText;
    // The badge reads the text as typed, the way the conversion does.
    const auto reading = readAmountText(seenAmount_);
    detectedFromUnit = reading ? reading->unit : UnitType(UnitType::none);
    if (reading && !reading->currency.empty()) followNamedCurrency(reading->currency);
    convert();
  }
}

void CurrencyConverterView::followNamedCurrency(const std::string& code) {
  if (code == fromCurrency) return;
  if (code == toCurrency) toCurrency = fromCurrency;
  fromCurrency = code;
  // Part of this one edit: the amount's conversion below covers the new pair.
  seenFrom_ = fromCurrency;
  seenTo_ = toCurrency;
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
