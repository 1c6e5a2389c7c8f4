#include <chrono>
#include <memory>
#include <utility>

#include "converter/currency_converter_view.h"
#include "rates/relative_time.h"

namespace ovantic {

void CurrencyConverterView::fetchRates() {
  isLoading = true;
  rateText = "Fetching rates...";
  std::shared_ptr<MainQueue> mainQueue = services_.mainQueue;
  if (!mainQueue) {
    applyRates(RateFeedResult{std::nullopt, "Failed to load rates"});
    return;
  }
  // The reply may outlive this converter (its panel can close first); it only holds a weak
  // reference and the queue, and touches the converter on the main thread if it is still there.
  std::optional<RateFeedResult> failedAtOnce =
      fetchRateTable(services_.http.get(), services_.ratesUrl,
                     [mainQueue, weakSelf = weak_from_this()](RateFeedResult result) {
                       mainQueue->post([weakSelf, result = std::move(result)] {
                         const std::shared_ptr<CurrencyConverterView> self = weakSelf.lock();
                         if (!self) return;
                         self->applyRates(result);
                         if (self->onStateChange) self->onStateChange();
                       });
                     });
  if (failedAtOnce) applyRates(*failedAtOnce);
}

void CurrencyConverterView::applyRates(const RateFeedResult& result) {
  isLoading = false;
  if (!result.rates) {
    rateText = result.failure;
    return;
  }
  exchangeRates = *result.rates;
  convert();
  // Whatever the amount holds, the footer must stop saying the fetch is under way.
  rateText = rateLine().value_or("Loading rates...");
  const auto now = std::chrono::system_clock::now();
  lastUpdatedText = "Rates updated " + relativeTimeText(localeId(), now, now);
}

}  // namespace ovantic
