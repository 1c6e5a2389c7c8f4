#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// The two ways amounts are shown to the user, in one locale: with the locale's digit grouping
// and decimal mark, rounding half-even; and the way back from a shown number. Formatters are
// immutable, so one instance per locale is shared by every converter and thread.
class NumberFormats {
 public:
  static std::shared_ptr<const NumberFormats> forLocale(const std::string& localeId);

  // Exactly two decimals (2.50), as in the all-units list; absent when the formatter fails.
  virtual std::optional<std::string> twoDecimals(double value) const = 0;
  // At most two decimals, trailing zeros dropped (2.5), as in the result row.
  virtual std::optional<std::string> upToTwoDecimals(double value) const = 0;
  // Reads back a number as this locale shows it (its digits, grouping and decimal mark); absent
  // unless the whole text is one number.
  virtual std::optional<double> read(std::string_view text) const = 0;
  // Whether this locale writes a comma as its decimal sign (2,5).
  virtual bool decimalComma() const = 0;

  virtual ~NumberFormats() = default;
};

}  // namespace ovantic
