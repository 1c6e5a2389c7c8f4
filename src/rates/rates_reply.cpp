#include "rates/rates_reply.h"

#include <exception>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

#include "rates/currency_catalogue.h"
#include "rates/currency_details.h"
#include "rates/rate_rules.h"

namespace ovantic {
namespace {

using Json = nlohmann::json;

// Parses the body as one JSON document; a discarded or bare scalar document means "not JSON".
std::optional<Json> readDocument(std::string_view body) {
  // JSON has no place for a raw NUL byte, but the parser takes one for the end of its input and
  // would accept whatever followed.
  if (body.find('\0') != std::string_view::npos) return std::nullopt;
  // The client caps a body at 4 MiB, so holding it as a document is cheap; nlohmann parses and
  // destroys deep nesting without recursion.
  Json document = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  // A bare scalar at the top is a fragment, which a strict reader does not take as JSON.
  if (document.is_discarded() || !document.is_structured()) return std::nullopt;
  return document;
}

std::string dateOf(const Json& document) {
  const auto date = document.find("date");
  if (date == document.end() || !date->is_string()) return {};
  const std::string& text = date->get_ref<const std::string&>();
  return calendarDay(text) ? text : std::string();
}

// Both services send units per dollar as one object under `key`, read by the same rule as the
// kept table; `codeOf` says which currency a name stands for.
RatesReply parseTable(std::string_view body, const char* key, CodeOfName codeOf) {
  RatesReply reply;
  try {
    const std::optional<Json> document = readDocument(body);
    if (!document) return reply;
    reply.outcome = RatesReplyOutcome::wrongShape;
    if (!document->is_object()) return reply;
    const auto rates = document->find(key);
    if (rates == document->end()) return reply;
    std::optional<RateTable> table = readRateTable(*rates, codeOf);
    if (!table) return reply;
    reply.outcome = RatesReplyOutcome::rates;
    reply.rates = std::move(*table);
    reply.date = dateOf(*document);
  } catch (const std::exception&) {
    // Only allocation can throw here; a reply we could not hold is no reply.
    return RatesReply{};
  }
  return reply;
}

// The second service's names are lower case; "EUR" beside "eur" would be a second opinion on the
// same currency. Only current currencies in common use are kept.
std::optional<std::string> commonCurrencyOf(const std::string& name) {
  std::string code;
  for (char c : name) {
    if (c < 'a' || c > 'z') return std::nullopt;
    code += static_cast<char>(c - 'a' + 'A');
  }
  if (!isCurrencyCode(code) || !isCommonCurrency(code)) return std::nullopt;
  return code;
}

}  // namespace

RatesReply parseRatesReply(std::string_view body) {
  return parseTable(body, "rates", codeAsWritten);
}

RatesReply parseCurrencyApiReply(std::string_view body) {
  return parseTable(body, "usd", commonCurrencyOf);
}

}  // namespace ovantic
