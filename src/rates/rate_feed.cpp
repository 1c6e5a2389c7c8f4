#include "rates/rate_feed.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "rates/rates_reply.h"

namespace ovantic {
namespace {

constexpr const char* kLoadFailed = "Failed to load rates";

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

RateFeedResult readRateReply(const HttpClient::Reply& reply) {
  if (reply.error || !reply.body) return RateFeedResult{std::nullopt, kLoadFailed};
  RatesReply parsed = parseRatesReply(*reply.body);
  switch (parsed.outcome) {
    case RatesReplyOutcome::notJson:
      return RateFeedResult{std::nullopt, "Error loading rates"};
    case RatesReplyOutcome::wrongShape:
      return RateFeedResult{std::nullopt, "Failed to parse rates"};
    case RatesReplyOutcome::rates:
      break;
  }
  parsed.rates.insert_or_assign("USD", 1.0);
  return RateFeedResult{std::move(parsed.rates), {}};
}

std::optional<RateFeedResult> fetchRateTable(HttpClient* http, const std::string& url,
                                             std::function<void(RateFeedResult)> done) {
  if (http == nullptr || !isSecureAddress(url)) return RateFeedResult{std::nullopt, kLoadFailed};
  http->get(url, [done = std::move(done)](HttpClient::Reply reply) {
    if (done) done(readRateReply(reply));
  });
  return std::nullopt;
}

}  // namespace ovantic
