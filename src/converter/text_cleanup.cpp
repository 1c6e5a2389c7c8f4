#include <charconv>
#include <cmath>
#include <vector>

#include "converter/currency_converter_view.h"
#include "notation/number_formats.h"
#include "notation/unicode_text.h"

namespace ovantic {
namespace {

// Pieces between single spaces: adjacent spaces give empty pieces, no space gives one piece.
std::vector<std::string_view> splitAtSpaces(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t space = text.find(' ', start);
    if (space == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, space - start));
    start = space + 1;
  }
}

// Literal and case-sensitive; removing the empty text changes nothing.
std::string removeAll(std::string_view text, std::string_view what) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (!what.empty()) {
    const std::size_t found = text.find(what, start);
    if (found == std::string_view::npos) break;
    out.append(text.substr(start, found - start));
    start = found + what.size();
  }
  out.append(text.substr(start));
  return out;
}

// A result glued to its flag (no space) falls back to stripping the target's flag by hand.
std::string withoutFlagAndCommas(std::string_view text, const std::string& toCurrency) {
  const std::string rest = removeAll(text, CurrencyConverterView::currencyFlag(toCurrency));
  return trimBlanks(removeAll(rest, ","));
}

}  // namespace

std::string CurrencyConverterView::extractNumericValue(std::string_view text) const {
  const auto pieces = splitAtSpaces(text);
  if (pieces.size() >= 2) return removeAll(pieces[1], ",");
  return withoutFlagAndCommas(text, toCurrency);
}

std::optional<std::pair<double, UnitType>> CurrencyConverterView::numberInResult(
    std::string_view text) const {
  // A result reads "<flag> <number>[ <unit>]"; the number is in this converter's locale, whose
  // grouping, decimal mark and digits need not be ASCII at all.
  std::vector<std::string_view> pieces = splitAtSpaces(text);
  if (pieces.size() < 2) return std::nullopt;
  UnitType unit = UnitType::none;
  if (pieces.size() >= 3) {
    for (const UnitType candidate : UnitType::allCases()) {
      if (candidate != UnitType::none && candidate.shortForm() == pieces.back()) unit = candidate;
    }
    if (unit != UnitType::none) pieces.pop_back();
  }
  const std::size_t start = pieces[0].size() + 1;
  std::size_t length = 0;
  for (std::size_t i = 1; i < pieces.size(); ++i) length += pieces[i].size() + (i > 1 ? 1 : 0);
  const auto number = formats_->read(text.substr(start, length));
  // An infinite or NaN reading, or one too large to hold to the paisa, is no amount anyone could
  // type.
  if (!number || !std::isfinite(*number) ||
      std::fabs(*number * unit.multiplier()) >= kLargestAmount) {
    return std::nullopt;
  }
  return std::pair{*number, unit};
}

std::string CurrencyConverterView::amountFromResult(std::string_view text) const {
  if (const auto shown = numberInResult(text)) {
    const auto [number, unit] = *shown;
    // The shortest text that reads back as the same double, so nothing the result showed is
    // lost, and one that the amount field reads whatever the locale.
    char buffer[400];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
    if (written.ec == std::errc()) {
      std::string amount(buffer, written.ptr);
      if (unit != UnitType::none) amount += " " + std::string(unit.shortForm());
      return amount;
    }
  }
  return extractNumericValue(text);
}

std::string CurrencyConverterView::extractValueWithCurrency(std::string_view text) const {
  const auto pieces = splitAtSpaces(text);
  const std::string symbol = getCurrencySymbol(toCurrency);
  if (pieces.size() >= 2) {
    std::string out = symbol + " " + std::string(pieces[1]);
    if (pieces.size() >= 3) out += " " + std::string(pieces[2]);
    return out;
  }
  return symbol + " " + withoutFlagAndCommas(text, toCurrency);
}

std::string CurrencyConverterView::spokenResult(std::string_view text) const {
  const auto shown = numberInResult(text);
  if (!shown) return std::string(text);
  const auto [number, unit] = *shown;
  // The number as the screen shows it, between the flag and the unit's short form.
  std::vector<std::string_view> pieces = splitAtSpaces(text);
  if (unit != UnitType::none) pieces.pop_back();
  std::string said;
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    if (i > 1) said += ' ';
    said += pieces[i];
  }
  if (unit != UnitType::none) said += " " + std::string(unit.rawValue());
  return said + " " + currencyPluralName(toCurrency, number * unit.multiplier());
}

std::string CurrencyConverterView::spokenAmount(double value, UnitType unit) const {
  std::string said = formatConversionValue(value, UnitType::none);
  if (unit != UnitType::none) said += " " + std::string(unit.rawValue());
  return said + " " + currencyPluralName(toCurrency, value * unit.multiplier());
}

}  // namespace ovantic
