#pragma once

#include <map>
#include <string>
#include <string_view>

namespace ovantic {

// What a rate reply's body turned out to be. The feed tells "not JSON at all" apart from "JSON of
// the wrong shape" because the user sees a different text for each.
enum class RatesReplyOutcome {
  rates,       // a top-level object whose "rates" object holds only numbers above zero
  notJson,     // not JSON, or a bare scalar at the top level
  wrongShape,  // JSON, but no usable "rates" object (a rate not a number, or zero or less)
};

struct RatesReply {
  RatesReplyOutcome outcome = RatesReplyOutcome::notJson;
  // Units of each currency per one US dollar, every code the service listed; empty unless
  // `outcome` is `rates`, so a half-read table can never leak out.
  std::map<std::string, double> rates;
};

// Reads the body of a rate reply. Never throws.
RatesReply parseRatesReply(std::string_view body);

}  // namespace ovantic
