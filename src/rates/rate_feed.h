#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/http_client.h"
#include "rates/rate_table.h"

namespace ovantic {

// What one request for the rate table came to: a table to use, or the footer text that says why
// there is none.
struct RateFeedResult {
  // The dollar itself at 1.
  std::optional<RateTable> rates;
  // "Failed to load rates", "Error loading rates" or "Failed to parse rates"; empty with a table.
  std::string failure;
};

// Reads what the client delivered for a rate request.
RateFeedResult readRateReply(const HttpClient::Reply& reply);

// Starts one request for the table at `url`. When no request can leave (no client, or an address
// that is not https) the failure comes back at once and `done` never runs; otherwise `done` runs
// exactly once, on whatever thread the client completes on.
std::optional<RateFeedResult> fetchRateTable(HttpClient* http, const std::string& url,
                                             std::function<void(RateFeedResult)> done);

}  // namespace ovantic
