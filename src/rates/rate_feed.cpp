#include "rates/rate_feed.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "rates/rates_reply.h"

namespace ovantic {
namespace {

RateFeedResult failed(RatesFailure why) {
  return RateFeedResult{std::nullopt, std::string(failureText(why)), {}, {}, why};
}

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

}  // namespace

std::string_view failureText(RatesFailure failure) {
  switch (failure) {
    case RatesFailure::notLoaded:
      return "Failed to load rates";
    case RatesFailure::notJson:
      return "Error loading rates";
    case RatesFailure::wrongShape:
      return "Failed to parse rates";
    case RatesFailure::none:
      break;
  }
  return {};
}

std::vector<RateSource> rateSources(const std::string& primaryUrl,
                                    const std::vector<std::string>& fallbackUrls) {
  std::vector<RateSource> sources{{primaryUrl, RateReplyShape::ratesObject}};
  for (const std::string& url : fallbackUrls) sources.push_back({url, RateReplyShape::usdObject});
  return sources;
}

RateFeedResult readRateReply(const HttpClient::Reply& reply, RateReplyShape shape) {
  if (reply.error || !reply.body) return failed(RatesFailure::notLoaded);
  RatesReply parsed = shape == RateReplyShape::usdObject ? parseCurrencyApiReply(*reply.body)
                                                         : parseRatesReply(*reply.body);
  switch (parsed.outcome) {
    case RatesReplyOutcome::notJson:
      return failed(RatesFailure::notJson);
    case RatesReplyOutcome::wrongShape:
      return failed(RatesFailure::wrongShape);
    case RatesReplyOutcome::rates:
      break;
  }
  return RateFeedResult{std::move(parsed.rates), {}, std::move(parsed.date), {}, {}};
}

std::optional<RateFeedResult> fetchRateTable(HttpClient* http, const RateSource& source,
                                             std::function<void(RateFeedResult)> done) {
  if (http == nullptr || !isSecureAddress(source.url)) {
    return failed(RatesFailure::notLoaded);
  }
  http->get(source.url, [source, done = std::move(done)](HttpClient::Reply reply) {
    RateFeedResult result = readRateReply(reply, source.shape);
    if (result.rates) result.source = source.url;
    if (done) done(std::move(result));
  });
  return std::nullopt;
}

}  // namespace ovantic
