// Any text typed into the amount field must read as an amount or as nothing, never crash, never
// come out infinite or NaN, and the readings must agree with each other. The reader's whole
// grammar is reached from here: scale words, compounds, arithmetic, signs, codes and digits of
// other scripts, under both decimal signs.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "notation/amount_expression.h"
#include "notation/unit_type.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto detection = ovantic::UnitType::detect(text);
  const auto amount = ovantic::UnitType::parseAmount(text);
  if (detection.has_value() != amount.has_value()) std::abort();
  if (detection) {
    if (!std::isfinite(*amount) || !std::isfinite(detection->value)) std::abort();
    const double again = detection->value * detection->unit.multiplier();
    if (std::fabs(again - *amount) > std::fabs(*amount) * 1e-12) std::abort();
    for (const char* currency : {"INR", "USD"}) {
      const auto shown = ovantic::UnitType::formatValue(*amount, currency);
      if (shown.formatted.empty()) std::abort();
    }
  }
  // The decimal sign only decides what a comma or a point means (the Arabic and Adlam ones
  // included): a text with neither reads the same.
  const auto withComma = ovantic::readAmount(text, ovantic::AmountSyntax{true, {}});
  if (withComma && !std::isfinite(withComma->amount)) std::abort();
  bool hasSeparator = text.find_first_of(",.") != std::string_view::npos;
  for (const char* mark : {"\u066B", "\u066C", "\u2E41", "\u060C"}) {
    hasSeparator = hasSeparator || text.find(mark) != std::string_view::npos;
  }
  if (!hasSeparator && withComma.has_value() != amount.has_value()) std::abort();
  return 0;
}
