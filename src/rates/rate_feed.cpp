#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "converter/currency_converter_view.h"
#include "rates/rates_reply.h"
#include "rates/relative_time.h"

namespace ovantic {
namespace {

// Only a secure address with something after the scheme is worth a request; anything else
// fails before it could leak a plain-text request.
bool isSecureAddress(std::string_view url) {
  constexpr std::string_view scheme = "https://";
  if (url.size() <= scheme.size()) return false;
  for (std::size_t i = 0; i < scheme.size(); ++i) {
    const char c = url[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != scheme[i]) return false;
  }
  return true;
}

void applyReply(CurrencyConverterView& view, const HttpClient::Reply& reply) {
  view.isLoading = false;
  if (reply.error || !reply.body) {
    view.rateText = "Failed to load rates";
    return;
  }
  RatesReply parsed = parseRatesReply(*reply.body);
  switch (parsed.outcome) {
    case RatesReplyOutcome::notJson:
      view.rateText = "Error loading rates";
      return;
    case RatesReplyOutcome::wrongShape:
      view.rateText = "Failed to parse rates";
      return;
    case RatesReplyOutcome::rates:
      break;
  }
  view.exchangeRates = std::move(parsed.rates);
  view.exchangeRates.insert_or_assign("USD", 1.0);
  view.convert();
  const auto date = std::chrono::system_clock::now();
  const auto reference = std::chrono::system_clock::now();
  view.lastUpdatedText = "Rates updated " + relativeTimeText(view.localeId(), date, reference);
}

}  // namespace

void CurrencyConverterView::fetchRates() {
  isLoading = true;
  rateText = "Fetching rates...";
  std::shared_ptr<MainQueue> mainQueue = services_.mainQueue;
  if (!isSecureAddress(services_.ratesUrl) || !services_.http || !mainQueue) {
    rateText = "Failed to load rates";
    isLoading = false;
    return;
  }

  // The reply may outlive this converter (its panel can close first); it only holds a weak
  // reference and the queue, and touches the converter on the main thread if it is still there.
  std::weak_ptr<CurrencyConverterView> weakSelf = weak_from_this();
  services_.http->get(services_.ratesUrl, [mainQueue, weakSelf](HttpClient::Reply reply) {
    mainQueue->post([weakSelf, reply = std::move(reply)] {
      std::shared_ptr<CurrencyConverterView> self = weakSelf.lock();
      if (!self) return;
      applyReply(*self, reply);
      if (self->onStateChange) self->onStateChange();
    });
  });
}

}  // namespace ovantic
