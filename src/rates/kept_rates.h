#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "rates/rate_table.h"

namespace ovantic {

// The last good table, as kept between runs so that an opening has a result before the network
// answers: the rates, the day they are from, the address that sent them and when.
struct KeptRates {
  RateTable rates;
  std::string date;  // "YYYY-MM-DD", or empty when the service named none
  std::string source;
  std::chrono::system_clock::time_point fetchedAt;
};

std::string encodeKeptRates(const KeptRates& kept);

// Only bytes written by `encodeKeptRates` come back as rates: anything damaged, cut short or
// written by something else is nothing, and the table is read by the same rule as a reply's
// (readRateTable). Never throws.
std::optional<KeptRates> decodeKeptRates(std::string_view bytes);

}  // namespace ovantic
