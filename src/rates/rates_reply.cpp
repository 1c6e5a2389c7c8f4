#include "rates/rates_reply.h"

#include <exception>
#include <nlohmann/json.hpp>
#include <utility>

namespace ovantic {

RatesReply parseRatesReply(std::string_view body) {
  RatesReply reply;
  // JSON has no place for a raw NUL byte, but the parser takes one for the end of its input and
  // would accept whatever followed.
  if (body.find('\0') != std::string_view::npos) return reply;
  try {
    // The client caps a body at 4 MiB, so holding it as a document is cheap; nlohmann parses and
    // destroys deep nesting without recursion.
    const nlohmann::json document =
        nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
    // A bare scalar at the top is a fragment, which a strict reader does not take as JSON.
    if (document.is_discarded() || !document.is_structured()) return reply;
    reply.outcome = RatesReplyOutcome::wrongShape;
    if (!document.is_object()) return reply;
    const auto rates = document.find("rates");
    if (rates == document.end() || !rates->is_object()) return reply;
    std::map<std::string, double> table;
    for (const auto& [code, rate] : rates->items()) {
      if (!rate.is_number()) return reply;
      const double value = rate.get<double>();
      // Units per dollar below or at zero (-0 included) would turn every result into infinity, a
      // negative amount or NaN; such a table is as unusable as one with a word for a rate.
      if (!(value > 0.0)) return reply;
      table.emplace(code, value);
    }
    reply.outcome = RatesReplyOutcome::rates;
    reply.rates = std::move(table);
  } catch (const std::exception&) {
    // Only allocation can throw here; a reply we could not hold is no reply.
    return RatesReply{};
  }
  return reply;
}

}  // namespace ovantic
