#include "notation/number_formats.h"

#include <unicode/locid.h>
#include <unicode/numberformatter.h>

#include <map>
#include <mutex>

namespace ovantic {
namespace {

using icu::number::LocalizedNumberFormatter;
using icu::number::NumberFormatter;
using icu::number::Precision;

class IcuNumberFormats final : public NumberFormats {
 public:
  explicit IcuNumberFormats(const icu::Locale& locale)
      : fixed_(NumberFormatter::withLocale(locale)
                   .precision(Precision::fixedFraction(2))
                   .roundingMode(UNUM_ROUND_HALFEVEN)),
        upTo_(NumberFormatter::withLocale(locale)
                  .precision(Precision::maxFraction(2))
                  .roundingMode(UNUM_ROUND_HALFEVEN)) {}

  std::optional<std::string> twoDecimals(double value) const override {
    return format(fixed_, value);
  }
  std::optional<std::string> upToTwoDecimals(double value) const override {
    return format(upTo_, value);
  }

 private:
  static std::optional<std::string> format(const LocalizedNumberFormatter& formatter,
                                           double value) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text = formatter.formatDouble(value, status).toString(status);
    if (U_FAILURE(status) || text.isEmpty()) return std::nullopt;
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
  }

  LocalizedNumberFormatter fixed_;
  LocalizedNumberFormatter upTo_;
};

}  // namespace

std::shared_ptr<const NumberFormats> NumberFormats::forLocale(const std::string& localeId) {
  // Building a formatter loads locale data; a panel opens many times with the same locale.
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const NumberFormats>> cache;
  const std::lock_guard lock(mutex);
  auto& entry = cache[localeId];
  if (!entry) entry = std::make_shared<IcuNumberFormats>(icu::Locale(localeId.c_str()));
  return entry;
}

}  // namespace ovantic
