#include <chrono>
#include <memory>
#include <utility>

#include "converter/currency_converter_view.h"
#include "rates/kept_rates.h"
#include "rates/rate_table.h"
#include "rates/rates_age.h"

namespace ovantic {

namespace {

CurrencyConverterView::RateLineState failureState(RatesFailure failure) {
  using State = CurrencyConverterView::RateLineState;
  switch (failure) {
    case RatesFailure::notJson:
      return State::notJson;
    case RatesFailure::wrongShape:
      return State::wrongShape;
    case RatesFailure::notLoaded:
    case RatesFailure::none:
      break;
  }
  return State::notLoaded;
}

}  // namespace

void CurrencyConverterView::fetchRates() {
  isLoading = true;
  rateText = "Fetching rates...";
  rateLineState_ = RateLineState::fetching;
  fetchFrom(0, RatesFailure::none);
}

void CurrencyConverterView::fetchFrom(std::size_t index, RatesFailure firstFailure) {
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
              self->fetchFrom(index + 1,
                              firstFailure == RatesFailure::none ? result.why : firstFailure);
            }
            if (self->onStateChange) self->onStateChange();
          });
        });
    if (!failedAtOnce) return;  // a request is out
    if (firstFailure == RatesFailure::none) firstFailure = failedAtOnce->why;
  }
  // Every service failed, or there was nothing to ask them with.
  if (firstFailure == RatesFailure::none) firstFailure = RatesFailure::notLoaded;
  applyRates(
      RateFeedResult{std::nullopt, std::string(failureText(firstFailure)), {}, {}, firstFailure});
}

void CurrencyConverterView::refuseWithoutPair(RateFeedResult& result) const {
  // A table without the pair on show answers nothing that was asked, and taking it would put it
  // in place of a kept table that does: the next service is asked instead.
  for (const std::string& code : {fromCurrency, toCurrency}) {
    if (rateFor(*result.rates, code)) continue;
    result.rates.reset();
    result.why = RatesFailure::wrongShape;
    result.failure = std::string(failureText(result.why));
    return;
  }
}

void CurrencyConverterView::applyRates(const RateFeedResult& result) {
  isLoading = false;
  if (!result.rates) {
    // A failure that says not why still failed.
    lastFailure_ = result.why == RatesFailure::none ? RatesFailure::notLoaded : result.why;
    rateText = failureText(lastFailure_);
    rateLineState_ = failureState(lastFailure_);
    refreshRatesAge();
    return;
  }
  lastFailure_ = RatesFailure::none;
  exchangeRates = *result.rates;
  ratesDate_ = result.date;
  ratesSource_ = result.source;
  ratesFetchedAt_ = now();
  convert();
  // Whatever the amount holds, the footer must stop saying the fetch is under way.
  if (const std::optional<std::string> line = rateLine()) {
    rateText = *line;
    rateLineState_ = RateLineState::rate;
  } else {
    rateText = missingRateText();
  }
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
  const bool kept = lastFailure_ != RatesFailure::none && !isLoading;
  lastUpdatedText = ratesAgeText(localeId(), ratesDate_, *ratesFetchedAt_, now(), kept);
}

std::optional<std::chrono::milliseconds> CurrencyConverterView::ratesAgeChangesIn() const {
  if (!ratesFetchedAt_) return std::nullopt;
  return untilRatesAgeChanges(*ratesFetchedAt_, now());
}

std::string CurrencyConverterView::missingRateText() {
  if (isLoading) {
    rateLineState_ = RateLineState::loading;
    return "Loading rates...";
  }
  if (lastFailure_ != RatesFailure::none) {
    rateLineState_ = failureState(lastFailure_);
    return std::string(failureText(lastFailure_));
  }
  // The table came, but without this currency: nothing more is on its way.
  if (!exchangeRates.empty()) {
    rateLineState_ = RateLineState::noRate;
    return "No rate for " + currencyWithoutRate();
  }
  rateLineState_ = RateLineState::loading;
  return "Loading rates...";
}

const std::string& CurrencyConverterView::currencyWithoutRate() const {
  return getRate(fromCurrency) ? toCurrency : fromCurrency;
}

std::optional<RatesAge> CurrencyConverterView::ratesAge() const {
  if (!ratesFetchedAt_) return std::nullopt;
  const bool kept = lastFailure_ != RatesFailure::none && !isLoading;
  return ovantic::ratesAge(ratesDate_, *ratesFetchedAt_, now(), kept);
}

std::chrono::system_clock::time_point CurrencyConverterView::now() const {
  return services_.clock ? services_.clock() : std::chrono::system_clock::now();
}

}  // namespace ovantic
