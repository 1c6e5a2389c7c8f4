#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// Units of each currency per one US dollar, by code, as the last good reply listed them.
using RateTable = std::map<std::string, double>;

// The rate of `code`; the dollar is the pivot of every rate, so it is known before any table
// arrives and never read from one.
std::optional<double> rateFor(const RateTable& table, std::string_view code);

}  // namespace ovantic
