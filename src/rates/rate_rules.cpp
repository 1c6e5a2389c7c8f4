#include "rates/rate_rules.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "rates/currency_catalogue.h"

namespace ovantic {

bool isPlausibleRate(double unitsPerDollar) {
  // NaN fails both comparisons.
  return unitsPerDollar >= kLeastRate && unitsPerDollar <= kMostRate;
}

std::optional<std::chrono::sys_days> calendarDay(std::string_view date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return std::nullopt;
  for (std::size_t i = 0; i < date.size(); ++i) {
    // from_chars would take a sign.
    if (i != 4 && i != 7 && (date[i] < '0' || date[i] > '9')) return std::nullopt;
  }
  int year = 0;
  unsigned month = 0;
  unsigned day = 0;
  std::from_chars(date.data(), date.data() + 4, year);
  std::from_chars(date.data() + 5, date.data() + 7, month);
  std::from_chars(date.data() + 8, date.data() + 10, day);
  const std::chrono::year_month_day ymd{std::chrono::year(year), std::chrono::month(month),
                                        std::chrono::day(day)};
  if (!ymd.ok()) return std::nullopt;
  return std::chrono::sys_days(ymd);
}

std::optional<std::string> codeAsWritten(const std::string& name) {
  if (!isCurrencyCode(name)) return std::nullopt;
  return name;
}

std::optional<RateTable> readRateTable(const nlohmann::json& rates, CodeOfName codeOf) {
  if (!rates.is_object()) return std::nullopt;
  RateTable table;
  for (const auto& [name, rate] : rates.items()) {
    std::optional<std::string> code = codeOf(name);
    if (!code) continue;
    if (!rate.is_number()) return std::nullopt;
    const double value = rate.get<double>();
    if (*code == "USD") {
      // Every rate is per dollar, so the dollar's is 1 by definition; a table that says otherwise
      // is measured against something else.
      if (!(std::fabs(value - 1.0) <= 1e-9)) return std::nullopt;
      continue;
    }
    if (!isPlausibleRate(value)) return std::nullopt;
    table.insert_or_assign(std::move(*code), value);
  }
  if (table.empty()) return std::nullopt;
  table.emplace("USD", 1.0);
  return table;
}

}  // namespace ovantic
