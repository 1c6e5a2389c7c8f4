#include "notation/number_formats.h"

#include <unicode/dcfmtsym.h>
#include <unicode/fmtable.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/numfmt.h>
#include <unicode/parsepos.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>
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
                  .roundingMode(UNUM_ROUND_HALFEVEN)) {
    UErrorCode status = U_ZERO_ERROR;
    reader_.reset(icu::NumberFormat::createInstance(locale, status));
    if (U_FAILURE(status)) reader_.reset();
    status = U_ZERO_ERROR;
    const icu::DecimalFormatSymbols symbols(locale, status);
    decimalComma_ = U_SUCCESS(status) &&
                    symbols.getSymbol(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol) ==
                        icu::UnicodeString(u",");
  }

  std::optional<std::string> twoDecimals(double value) const override {
    return format(fixed_, value);
  }
  std::optional<std::string> upToTwoDecimals(double value) const override {
    return format(upTo_, value);
  }
  std::optional<double> read(std::string_view text) const override {
    if (!reader_ || text.empty()) return std::nullopt;
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    icu::Formattable number;
    icu::ParsePosition position(0);
    {
      // ICU promises nothing about parsing on one formatter from two threads at once.
      const std::lock_guard lock(readerMutex_);
      reader_->parse(unicode, number, position);
    }
    if (position.getErrorIndex() >= 0 || position.getIndex() != unicode.length()) {
      return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    const double value = number.getDouble(status);
    if (U_FAILURE(status)) return std::nullopt;
    return value;
  }
  bool decimalComma() const override { return decimalComma_; }

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
  std::unique_ptr<icu::NumberFormat> reader_;
  mutable std::mutex readerMutex_;
  bool decimalComma_ = false;
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
