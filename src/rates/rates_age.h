#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// The footer's line about the rates in use: the day they are from and how old they are, such as
// "Rates of 29 Sep 2026, fetched just now" or, after a failed fetch, "Rates of 28 Dec 2024, kept
// 3 days". The words are the panel's (English); the date and the numbers are written the way the
// ICU locale `localeId` writes them. `date` is "YYYY-MM-DD"; without one the line tells the age
// alone. A minute is the finest step, so the text changes at most once a minute.
// How old the rates in use are, for a panel that words it in the user's language: counted in the
// largest whole unit (0 minutes: under a minute), kept after a failed fetch or fetched, and the day
// they are from when the service said.
struct RatesAge {
  enum class Unit { minute, hour, day };
  long long count = 0;
  Unit unit = Unit::minute;
  bool kept = false;
  std::optional<std::chrono::sys_days> day;
};

RatesAge ratesAge(std::string_view date, std::chrono::system_clock::time_point fetchedAt,
                  std::chrono::system_clock::time_point now, bool kept);

// The day as the ICU locale `localeId` writes a date of medium length ("29 Sep 2026" in en_GB).
std::string ratesDayText(const std::string& localeId, std::chrono::sys_days day);

std::string ratesAgeText(const std::string& localeId, std::string_view date,
                         std::chrono::system_clock::time_point fetchedAt,
                         std::chrono::system_clock::time_point now, bool kept);

// How long until `ratesAgeText` for the same rates reads differently.
std::chrono::milliseconds untilRatesAgeChanges(std::chrono::system_clock::time_point fetchedAt,
                                               std::chrono::system_clock::time_point now);

}  // namespace ovantic
