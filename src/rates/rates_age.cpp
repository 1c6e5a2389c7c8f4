#include "rates/rates_age.h"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/numfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>
#include <optional>

#include "rates/rate_rules.h"

namespace ovantic {
namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::minutes;

std::string utf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

// The day as the locale writes a date of medium length ("29 Sep 2026" in en_GB, "Sep 29, 2026"
// in en_US, "29.09.2026" in de_DE); the day is a calendar day, so it is written in UTC.
std::string dayText(const icu::Locale& locale, std::chrono::sys_days day,
                    std::string_view fallback) {
  std::unique_ptr<icu::DateFormat> format(
      icu::DateFormat::createDateInstance(icu::DateFormat::kMedium, locale));
  if (!format) return std::string(fallback);
  format->adoptTimeZone(icu::TimeZone::createTimeZone("Etc/UTC"));
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(day.time_since_epoch()).count();
  icu::UnicodeString text;
  format->format(static_cast<UDate>(millis), text);
  return text.isEmpty() ? std::string(fallback) : utf8(text);
}

std::string countText(const icu::Locale& locale, long long count) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::NumberFormat> format(icu::NumberFormat::createInstance(locale, status));
  if (U_FAILURE(status) || !format) return std::to_string(count);
  icu::UnicodeString text;
  format->format(static_cast<int64_t>(count), text);
  return utf8(text);
}

// "3 days", "1 minute", counted in the locale's digits.
std::string lengthText(const icu::Locale& locale, const RatesAge& age) {
  const char* unit = age.unit == RatesAge::Unit::day    ? "day"
                     : age.unit == RatesAge::Unit::hour ? "hour"
                                                        : "minute";
  return countText(locale, age.count) + " " + unit + (age.count == 1 ? "" : "s");
}

std::chrono::seconds ageOf(std::chrono::system_clock::time_point fetchedAt,
                           std::chrono::system_clock::time_point now) {
  // A clock set back since the fetch makes no rates younger than new.
  if (now < fetchedAt) return std::chrono::seconds(0);
  return std::chrono::duration_cast<std::chrono::seconds>(now - fetchedAt);
}

}  // namespace

RatesAge ratesAge(std::string_view date, std::chrono::system_clock::time_point fetchedAt,
                  std::chrono::system_clock::time_point now, bool kept) {
  const std::chrono::seconds age = ageOf(fetchedAt, now);
  RatesAge out;
  out.kept = kept;
  out.day = calendarDay(date);
  if (age >= days(1)) {
    out.count = std::chrono::duration_cast<days>(age).count();
    out.unit = RatesAge::Unit::day;
  } else if (age >= hours(1)) {
    out.count = std::chrono::duration_cast<hours>(age).count();
    out.unit = RatesAge::Unit::hour;
  } else {
    out.count = std::chrono::duration_cast<minutes>(age).count();
  }
  return out;
}

std::string ratesDayText(const std::string& localeId, std::chrono::sys_days day) {
  return dayText(icu::Locale(localeId.c_str()), day, {});
}

std::string ratesAgeText(const std::string& localeId, std::string_view date,
                         std::chrono::system_clock::time_point fetchedAt,
                         std::chrono::system_clock::time_point now, bool kept) {
  const icu::Locale locale(localeId.c_str());
  const RatesAge age = ratesAge(date, fetchedAt, now, kept);
  const bool underAMinute = age.count == 0;
  std::string when;
  if (kept) {
    when = "kept " + (underAMinute ? std::string("under a minute") : lengthText(locale, age));
  } else {
    when = "fetched " + (underAMinute ? std::string("just now") : lengthText(locale, age) + " ago");
  }
  if (!age.day) return "Rates " + when;
  return "Rates of " + dayText(locale, *age.day, date) + ", " + when;
}

std::chrono::milliseconds untilRatesAgeChanges(std::chrono::system_clock::time_point fetchedAt,
                                               std::chrono::system_clock::time_point now) {
  const std::chrono::seconds age = ageOf(fetchedAt, now);
  const std::chrono::seconds step = age >= days(1)    ? std::chrono::seconds(days(1))
                                    : age >= hours(1) ? std::chrono::seconds(hours(1))
                                                      : std::chrono::seconds(minutes(1));
  const auto sinceFetch = std::chrono::duration_cast<std::chrono::milliseconds>(
      now < fetchedAt ? std::chrono::system_clock::duration(0) : now - fetchedAt);
  return step - sinceFetch % step;
}

}  // namespace ovantic
