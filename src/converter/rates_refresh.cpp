#include <chrono>
#include <memory>
#include <utility>

#include "converter/currency_converter_view.h"
#include "rates/kept_rates.h"
#include "rates/rate_table.h"
#include "rates/rates_age.h"

namespace ovantic {

void CurrencyConverterView::fetchRates() {
  isLoading = true;
  rateText = "Fetching rates...";
  fetchFrom(0, {});
}

void CurrencyConverterView::fetchFrom(std::size_t index, std::string firstFailure) {
  const std::vector<RateSource> sources =
      rateSources(services_.ratesUrl, services_.fallbackRatesUrls);
  std::shared_ptr<MainQueue> mainQueue = services_.mainQueue;
  for (; index < sources.size(); ++index) {
    if (!mainQueue) break;
    // The reply may outlive this converter (its panel can close first); it only holds a weak
    // reference and the queue, and touches the converter on the main thread if it is still there.
    std::optional<RateFeedResult> failedAtOnce = fetchRateTable(
        services_.http.get(), sources[index],
        [mainQueue, index, firstFailure, weakSelf = weak_from_this()](RateFeedResult result) {
          mainQueue->post([weakSelf, index, firstFailure, result = std::move(result)]() mutable {
            const std::shared_ptr<CurrencyConverterView> self = weakSelf.lock();
            if (!self) return;
            if (result.rates) self->refuseWithoutPair(result);
            if (result.rates) {
              self->applyRates(result);
            } else {
              self->fetchFrom(index + 1, firstFailure.empty() ? result.failure : firstFailure);
            }
            if (self->onStateChange) self->onStateChange();
          });
        });
    if (!failedAtOnce) return;  // a request is out
    if (firstFailure.empty()) firstFailure = failedAtOnce->failure;
  }
  // Every service failed, or there was nothing to ask them with.
  applyRates(RateFeedResult{
      std::nullopt, firstFailure.empty() ? "Failed to load rates" : firstFailure, {}, {}});
}

void CurrencyConverterView::refuseWithoutPair(RateFeedResult& result) const {
  // A table without the pair on show answers nothing that was asked, and taking it would put it
  // in place of a kept table that does: the next service is asked instead.
  for (const std::string& code : {fromCurrency, toCurrency}) {
    if (rateFor(*result.rates, code)) continue;
    result.rates.reset();
    result.failure = "No rate for " + code;
    return;
  }
}

void CurrencyConverterView::applyRates(const RateFeedResult& result) {
  isLoading = false;
  if (!result.rates) {
    lastFailure_ = result.failure;
    rateText = result.failure;
    refreshRatesAge();
    return;
  }
  lastFailure_.clear();
  exchangeRates = *result.rates;
  ratesDate_ = result.date;
  ratesSource_ = result.source;
  ratesFetchedAt_ = now();
  convert();
  // Whatever the amount holds, the footer must stop saying the fetch is under way.
  rateText = rateLine().value_or(missingRateText());
  refreshRatesAge();
  if (services_.rateStore) {
    services_.rateStore->save(
        encodeKeptRates(KeptRates{exchangeRates, ratesDate_, ratesSource_, *ratesFetchedAt_}));
  }
}

void CurrencyConverterView::useKeptRates() {
  if (!services_.rateStore) return;
  const std::optional<std::string> bytes = services_.rateStore->load();
  if (!bytes) return;
  std::optional<KeptRates> kept = decodeKeptRates(*bytes);
  if (!kept) return;
  exchangeRates = std::move(kept->rates);
  ratesDate_ = std::move(kept->date);
  ratesSource_ = std::move(kept->source);
  ratesFetchedAt_ = kept->fetchedAt;
  // The first frame already shows the default amount's result; the fetch then replaces it.
  convert();
  refreshRatesAge();
}

void CurrencyConverterView::refreshRatesAge() {
  if (!ratesFetchedAt_) return;
  const bool kept = !lastFailure_.empty() && !isLoading;
  lastUpdatedText = ratesAgeText(localeId(), ratesDate_, *ratesFetchedAt_, now(), kept);
}

std::optional<std::chrono::milliseconds> CurrencyConverterView::ratesAgeChangesIn() const {
  if (!ratesFetchedAt_) return std::nullopt;
  return untilRatesAgeChanges(*ratesFetchedAt_, now());
}

std::string CurrencyConverterView::missingRateText() const {
  if (isLoading) return "Loading rates...";
  if (!lastFailure_.empty()) return lastFailure_;
  // The table came, but without this currency: nothing more is on its way.
  if (!exchangeRates.empty()) {
    const std::string& missing = getRate(fromCurrency) ? toCurrency : fromCurrency;
    return "No rate for " + missing;
  }
  return "Loading rates...";
}

std::chrono::system_clock::time_point CurrencyConverterView::now() const {
  return services_.clock ? services_.clock() : std::chrono::system_clock::now();
}

}  // namespace ovantic
