#pragma once

#include <map>
#include <string>
#include <string_view>

namespace ovantic {

// What a rate reply's body turned out to be. The feed tells "not JSON at all" apart from "JSON of
// the wrong shape" because the user sees a different text for each.
enum class RatesReplyOutcome {
  rates,       // a top-level object whose table of rates passes readRateTable (rate_rules.h)
  notJson,     // not JSON, or a bare scalar at the top level
  wrongShape,  // JSON, but no usable table (no currency, or a rate not a plausible number)
};

struct RatesReply {
  RatesReplyOutcome outcome = RatesReplyOutcome::notJson;
  // Units of each currency per one US dollar, every code the service listed, the dollar at 1;
  // empty unless `outcome` is `rates`, so a half-read table can never leak out.
  std::map<std::string, double> rates;
  // The day the rates are from, "YYYY-MM-DD", when the reply names a valid one; empty otherwise.
  std::string date;
};

// Reads the body of a rate reply of the first service: {"date": …, "rates": {"EUR": 0.92, …}}.
// Names that are not written as currency codes are left out. Never throws.
RatesReply parseRatesReply(std::string_view body);

// Reads the body of the second service: {"date": "YYYY-MM-DD", "usd": {"eur": 0.92, …}}. Its
// lower-case codes mix crypto-currencies, metals and retired currencies in with the money people
// convert, so only current ISO 4217 currencies in common use are kept, in upper case; any of those
// with an unusable rate refuses the reply, as with the first service. Never throws.
RatesReply parseCurrencyApiReply(std::string_view body);

}  // namespace ovantic
