#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/http_client.h"
#include "rates/rate_table.h"

namespace ovantic {

// The two services' ways of writing the same table.
enum class RateReplyShape {
  ratesObject,  // {"date": "YYYY-MM-DD", "rates": {"EUR": 0.92, …}}
  usdObject,    // {"date": "YYYY-MM-DD", "usd": {"eur": 0.92, …}}
};

// One address to ask, and how its reply is written.
struct RateSource {
  std::string url;
  RateReplyShape shape = RateReplyShape::ratesObject;
};

// Why no table came: the service could not be reached or answered with an error, answered with
// something that is not JSON, or with JSON of the wrong shape.
enum class RatesFailure { none, notLoaded, notJson, wrongShape };

// The footer's English words for a failure ("Failed to load rates", ...); empty for none.
std::string_view failureText(RatesFailure failure);

// What one request for the rate table came to: a table to use, or the footer text that says why
// there is none.
struct RateFeedResult {
  // The dollar itself at 1.
  std::optional<RateTable> rates;
  // "Failed to load rates", "Error loading rates" or "Failed to parse rates"; empty with a table.
  std::string failure;
  // The day the rates are from, "YYYY-MM-DD", when the service said; and the address that sent
  // them.
  std::string date;
  std::string source;
  RatesFailure why = RatesFailure::none;
};

// The first service, then the second and its mirrors, in the order they are asked.
std::vector<RateSource> rateSources(const std::string& primaryUrl,
                                    const std::vector<std::string>& fallbackUrls);

// Reads what the client delivered for a rate request.
RateFeedResult readRateReply(const HttpClient::Reply& reply,
                             RateReplyShape shape = RateReplyShape::ratesObject);

// Starts one request for the table from `source`. When no request can leave (no client, or an
// address that is not https) the failure comes back at once and `done` never runs; otherwise
// `done` runs exactly once, on whatever thread the client completes on.
std::optional<RateFeedResult> fetchRateTable(HttpClient* http, const RateSource& source,
                                             std::function<void(RateFeedResult)> done);

}  // namespace ovantic
