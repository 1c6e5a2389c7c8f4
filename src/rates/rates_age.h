#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace ovantic {

// The footer's line about the rates in use: the day they are from and how old they are, such as
// "Rates of 29 Sep 2026, fetched just now" or, after a failed fetch, "Rates of 28 Dec 2024, kept
// 3 days". The words are the panel's (English); the date and the numbers are written the way the
// ICU locale `localeId` writes them. `date` is "YYYY-MM-DD"; without one the line tells the age
// alone. A minute is the finest step, so the text changes at most once a minute.
std::string ratesAgeText(const std::string& localeId, std::string_view date,
                         std::chrono::system_clock::time_point fetchedAt,
                         std::chrono::system_clock::time_point now, bool kept);

// How long until `ratesAgeText` for the same rates reads differently.
std::chrono::milliseconds untilRatesAgeChanges(std::chrono::system_clock::time_point fetchedAt,
                                               std::chrono::system_clock::time_point now);

}  // namespace ovantic
