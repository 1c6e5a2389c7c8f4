#include "notation/number_reading.h"

#include <locale.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace ovantic {
namespace {

locale_t cLocale() {
  // One C locale for the whole run; newlocale is thread-safe and the handle is never freed.
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

bool isCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::optional<double> readNumber(std::string_view text) {
  // strtod would skip leading blanks; a number here must start at the first character.
  if (text.empty() || isCSpace(text.front())) return std::nullopt;
  // strtod needs a terminated string; an embedded NUL ends it early and so fails the
  // whole-text check below, as it should.
  std::string copy(text);
  const char* begin = copy.c_str();
  char* end = nullptr;
  const double value = strtod_l(begin, &end, cLocale());
  if (end == begin || static_cast<std::size_t>(end - begin) != copy.size()) return std::nullopt;
  return value;
}

std::string formatFixed(double value, int decimals) {
  // Large enough for DBL_MAX written out in full (309 digits) plus sign, point and decimals.
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

}  // namespace ovantic
