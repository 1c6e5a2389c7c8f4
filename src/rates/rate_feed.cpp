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
