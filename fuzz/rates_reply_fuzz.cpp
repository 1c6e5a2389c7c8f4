// Feeds arbitrary bytes to the rate reply parser. Besides not crashing, it must agree with a
// plain document parse of the same bytes on every outcome and on the table: the streaming parser
// exists only to keep hostile replies cheap, never to read them differently.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "rates/rates_reply.h"

namespace {

ovantic::RatesReply readAsDocument(std::string_view body) {
  using ovantic::RatesReplyOutcome;
  ovantic::RatesReply expected;
  const nlohmann::json document = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded() || !document.is_structured()) return expected;
  expected.outcome = RatesReplyOutcome::wrongShape;
  if (!document.is_object()) return expected;
  const auto rates = document.find("rates");
  if (rates == document.end() || !rates->is_object()) return expected;
  std::map<std::string, double> table;
  for (const auto& [code, rate] : rates->items()) {
    if (!rate.is_number()) return expected;
    table.emplace(code, rate.get<double>());
  }
  expected.outcome = RatesReplyOutcome::rates;
  expected.rates = std::move(table);
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const ovantic::RatesReply reply = ovantic::parseRatesReply(body);
  if (reply.outcome != ovantic::RatesReplyOutcome::rates && !reply.rates.empty()) std::abort();

  // The document parser stops at a NUL byte; the reply parser rightly refuses such a body.
  if (body.find('\0') != std::string_view::npos) {
    if (reply.outcome != ovantic::RatesReplyOutcome::notJson) std::abort();
    return 0;
  }
  const ovantic::RatesReply expected = readAsDocument(body);
  if (reply.outcome != expected.outcome || reply.rates != expected.rates) std::abort();
  return 0;
}
