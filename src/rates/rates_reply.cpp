#include "rates/rates_reply.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

#include "rates/currency_details.h"

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

// Units per dollar below or at zero (-0 included) would turn every result into infinity, a
// negative amount or NaN; such a table is as unusable as one with a word for a rate.
std::optional<double> usableRate(const Json& rate) {
  if (!rate.is_number()) return std::nullopt;
  const double value = rate.get<double>();
  if (!std::isfinite(value) || !(value > 0.0)) return std::nullopt;
  return value;
}

std::string dateOf(const Json& document) {
  const auto date = document.find("date");
  if (date == document.end() || !date->is_string()) return {};
  const std::string& text = date->get_ref<const std::string&>();
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return {};
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
    if (text[i] < '0' || text[i] > '9') return {};
  }
  const int month = std::stoi(text.substr(5, 2));
  const int day = std::stoi(text.substr(8, 2));
  if (month < 1 || month > 12 || day < 1 || day > 31) return {};
  return text;
}

// Both services send units per dollar as one object under `key`. `codeOf` says which currency a
// name stands for, or none for a name the table leaves out; a usable rate is asked of every
// currency taken, and a reply that `needsCurrencies` must list at least one.
template <typename CodeOf>
RatesReply parseTable(std::string_view body, const char* key, CodeOf codeOf, bool needsCurrencies) {
  RatesReply reply;
  try {
    const std::optional<Json> document = readDocument(body);
    if (!document) return reply;
    reply.outcome = RatesReplyOutcome::wrongShape;
    if (!document->is_object()) return reply;
    const auto rates = document->find(key);
    if (rates == document->end() || !rates->is_object()) return reply;
    std::map<std::string, double> table;
    for (const auto& [name, rate] : rates->items()) {
      std::optional<std::string> code = codeOf(name);
      if (!code) continue;
      const std::optional<double> value = usableRate(rate);
      if (!value) return reply;
      table.emplace(std::move(*code), *value);
    }
    if (needsCurrencies && table.empty()) return reply;
    reply.outcome = RatesReplyOutcome::rates;
    reply.rates = std::move(table);
    reply.date = dateOf(*document);
  } catch (const std::exception&) {
    // Only allocation can throw here; a reply we could not hold is no reply.
    return RatesReply{};
  }
  return reply;
}

}  // namespace

RatesReply parseRatesReply(std::string_view body) {
  return parseTable(
      body, "rates", [](const std::string& code) { return std::optional<std::string>(code); },
      false);
}

RatesReply parseCurrencyApiReply(std::string_view body) {
  // Only lower-case names are this service's codes; "EUR" beside "eur" would be a second opinion
  // on the same currency. A reply with not one currency in it is the wrong reply, not an empty
  // market.
  return parseTable(
      body, "usd",
      [](const std::string& name) -> std::optional<std::string> {
        if (name.size() != 3 ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
          return std::nullopt;
        }
        std::string code = name;
        for (char& c : code) c = static_cast<char>(c - 'a' + 'A');
        if (!isCommonCurrency(code)) return std::nullopt;
        return code;
      },
      true);
}

}  // namespace ovantic
