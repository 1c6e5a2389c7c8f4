#include "rates/rate_table.h"

namespace ovantic {

std::optional<double> rateFor(const RateTable& table, std::string_view code) {
  if (code == "USD") return 1.0;
  const auto found = table.find(std::string(code));
  if (found == table.end()) return std::nullopt;
  return found->second;
}

}  // namespace ovantic
