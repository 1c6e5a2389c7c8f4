#pragma once

#include <chrono>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "rates/rate_table.h"

namespace ovantic {

// Units per dollar a currency can plausibly trade at. The dearest money in use buys a few dollars
// a unit and the cheapest has a few hundred thousand units to the dollar; well outside either
// bound lies a service's mistake, which would show as a rate of 0 or a figure hundreds of digits
// long.
inline constexpr double kLeastRate = 1e-6;
inline constexpr double kMostRate = 1e9;

bool isPlausibleRate(double unitsPerDollar);

// The day a "YYYY-MM-DD" text names, when it is one on the calendar (no 2024-02-31, no month 13).
std::optional<std::chrono::sys_days> calendarDay(std::string_view date);

// How a name in a table of rates stands for a currency: its code, or none for a name to leave out.
using CodeOfName = std::optional<std::string> (*)(const std::string& name);

// The name itself when it is written as a currency code is (three letters A to Z).
std::optional<std::string> codeAsWritten(const std::string& name);

// The one rule for a table of units per dollar, whether a service just sent it or it was kept from
// an earlier run. Names that stand for no currency are left out, whatever they hold, so a service
// adding "usdt" spoils nothing. The table is refused when a currency it keeps has no plausible
// number for a rate, when the dollar's own rate is anything but 1, or when not one currency besides
// the dollar is left. The dollar is at 1 in what comes back.
std::optional<RateTable> readRateTable(const nlohmann::json& rates, CodeOfName codeOf);

}  // namespace ovantic
