#include "notation/unit_type.h"

#include "notation/amount_expression.h"
#include "notation/number_reading.h"

namespace ovantic {

std::string_view UnitType::rawValue() const {
  switch (case_) {
    case none:
      return "";
    case thousand:
      return "thousand";
    case million:
      return "million";
    case billion:
      return "billion";
    case lakh:
      return "lakh";
    case crore:
      return "crore";
  }
  return "";
}

double UnitType::multiplier() const {
  switch (case_) {
    case none:
      return 1.0;
    case thousand:
      return 1'000.0;
    case million:
      return 1'000'000.0;
    case billion:
      return 1'000'000'000.0;
    case lakh:
      return 100'000.0;
    case crore:
      return 10'000'000.0;
  }
  return 1.0;
}

std::string_view UnitType::shortForm() const {
  switch (case_) {
    case none:
      return "";
    case thousand:
      return "K";
    case million:
      return "M";
    case billion:
      return "B";
    case lakh:
      return "L";
    case crore:
      return "Cr";
  }
  return "";
}

const std::array<UnitType, 6>& UnitType::allCases() {
  static constexpr std::array<UnitType, 6> cases{none, thousand, million, billion, lakh, crore};
  return cases;
}

std::optional<UnitType> UnitType::fromRawValue(std::string_view raw) {
  for (UnitType unit : allCases()) {
    if (unit.rawValue() == raw) return unit;
  }
  return std::nullopt;
}

std::optional<UnitDetection> UnitType::detect(std::string_view text) {
  const std::optional<AmountReading> reading = readAmount(text);
  if (!reading) return std::nullopt;
  // A compound or a sum is shown in the largest scale it names: "2 cr + 50 l" is 2.5 Cr.
  return UnitDetection{reading->amount / reading->unit.multiplier(), reading->unit};
}

std::optional<double> UnitType::parseAmount(std::string_view text) {
  const std::optional<AmountReading> reading = readAmount(text);
  if (!reading) return std::nullopt;
  return reading->amount;
}

UnitFormatting UnitType::formatValue(double value, std::string_view currency) {
  UnitType unit = none;
  if (currency == "INR") {
    if (value >= 10'000'000.0) {
      unit = crore;
    } else if (value >= 100'000.0) {
      unit = lakh;
    }
  } else if (value >= 1'000'000'000.0) {
    unit = billion;
  } else if (value >= 1'000'000.0) {
    unit = million;
  }
  return UnitFormatting{formatFixed(value / unit.multiplier(), 2), unit};
}

}  // namespace ovantic
