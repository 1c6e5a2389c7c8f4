#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// Reads `text` as one C-locale strtod number (hex, inf and nan forms included) that takes up the
// whole text: nothing before or after it, not even a blank. The process locale plays no part, so
// "2.5" means the same under a German LC_NUMERIC.
std::optional<double> readNumber(std::string_view text);

// printf's "%.<decimals>f" with a point as decimal mark, whatever the process locale is.
std::string formatFixed(double value, int decimals);

}  // namespace ovantic
