#include "rates/relative_time.h"

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>

namespace ovantic {
namespace {

struct UnitStep {
  double seconds;
  URelativeDateTimeUnit unit;
};

// Largest first; months and years are the usual calendar averages, which is all a "how long ago"
// line needs.
constexpr std::array<UnitStep, 7> unitSteps{{
    {365.0 * 86400.0, UDAT_REL_UNIT_YEAR},
    {30.0 * 86400.0, UDAT_REL_UNIT_MONTH},
    {7.0 * 86400.0, UDAT_REL_UNIT_WEEK},
    {86400.0, UDAT_REL_UNIT_DAY},
    {3600.0, UDAT_REL_UNIT_HOUR},
    {60.0, UDAT_REL_UNIT_MINUTE},
    {1.0, UDAT_REL_UNIT_SECOND},
}};

}  // namespace

std::string relativeTimeText(const std::string& localeId,
                             std::chrono::system_clock::time_point date,
                             std::chrono::system_clock::time_point reference) {
  const std::string fallback = "now";
  const double interval = std::chrono::duration<double>(date - reference).count();

  UnitStep step = unitSteps.back();
  for (const UnitStep& candidate : unitSteps) {
    if (std::fabs(interval) >= candidate.seconds) {
      step = candidate;
      break;
    }
  }
  double amount = std::trunc(interval / step.seconds);
  // A reading a few microseconds before the reference truncates to -0, which ICU would word as
  // the past ("0 sec. ago"); no time at all is the present, worded like the future.
  if (amount == 0.0) amount = 0.0;

  const icu::Locale locale(localeId.c_str());
  if (locale.isBogus()) return fallback;
  UErrorCode status = U_ZERO_ERROR;
  icu::RelativeDateTimeFormatter formatter(locale, nullptr, UDAT_STYLE_SHORT,
                                           UDISPCTX_CAPITALIZATION_NONE, status);
  if (U_FAILURE(status)) return fallback;
  icu::UnicodeString text;
  formatter.formatNumeric(amount, step.unit, text, status);
  if (U_FAILURE(status) || text.isEmpty()) return fallback;
  std::string utf8;
  text.toUTF8String(utf8);
  return utf8;
}

}  // namespace ovantic
