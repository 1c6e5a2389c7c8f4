// Any text typed into the amount field must read as an amount or as nothing, never crash, and
// the two readings must agree with each other.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "notation/unit_type.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto detection = ovantic::UnitType::detect(text);
  const auto amount = ovantic::UnitType::parseAmount(text);
  if (detection.has_value() != amount.has_value()) std::abort();
  if (detection) {
    const double expected = detection->value * detection->unit.multiplier();
    if (!(std::isnan(expected) && std::isnan(*amount)) && expected != *amount) std::abort();
    for (const char* currency : {"INR", "USD"}) {
      const auto shown = ovantic::UnitType::formatValue(*amount, currency);
      if (shown.formatted.empty()) std::abort();
    }
  }
  return 0;
}
