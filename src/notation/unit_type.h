#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

struct UnitDetection;
struct UnitFormatting;

// A scale word an amount may carry. The Indian units follow billion on purpose: the order is the
// one users see wherever units are listed, not one by magnitude.
class UnitType {
 public:
  enum Case { none, thousand, million, billion, lakh, crore };

  constexpr UnitType(Case c = none) noexcept : case_(c) {}
  constexpr operator Case() const noexcept { return case_; }

  std::string_view rawValue() const;
  std::string_view id() const { return rawValue(); }
  double multiplier() const;
  std::string_view shortForm() const;

  static const std::array<UnitType, 6>& allCases();
  static std::optional<UnitType> fromRawValue(std::string_view raw);

  // Splits a typed amount (UTF-8) into its number and scale word; absent when it is no amount.
  static std::optional<UnitDetection> detect(std::string_view text);
  // The typed amount with its scale applied ("2.5 cr" gives 25,000,000).
  static std::optional<double> parseAmount(std::string_view text);
  // The unit a value is shown in for a currency, and the scaled value as "%.2f".
  static UnitFormatting formatValue(double value, std::string_view currency);

 private:
  Case case_;
};

struct UnitDetection {
  double value;
  UnitType unit;
};

struct UnitFormatting {
  std::string formatted;
  UnitType unit;
};

}  // namespace ovantic
