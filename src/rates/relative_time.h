#pragma once

#include <chrono>
#include <string>

namespace ovantic {

// The abbreviated, numeric text for `date` seen from `reference` in the given ICU locale, such as
// "in 0 sec." or "3 min. ago" in en_US. The interval is truncated towards zero in the largest unit
// that keeps it at least one, so two readings of the clock taken one after the other say "in 0
// sec.". Falls back to "now" when ICU cannot build the text.
std::string relativeTimeText(const std::string& localeId,
                             std::chrono::system_clock::time_point date,
                             std::chrono::system_clock::time_point reference);

}  // namespace ovantic
