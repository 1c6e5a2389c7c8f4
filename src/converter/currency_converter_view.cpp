#include "converter/currency_converter_view.h"

#include "notation/number_formats.h"
#include "notation/number_reading.h"
#include "notation/user_locale.h"
#include "rates/currency_catalogue.h"
#include "rates/rate_table.h"

namespace ovantic {
namespace {

std::string unitSuffix(UnitType unit) {
  const std::string_view shortForm = unit.shortForm();
  return shortForm.empty() ? std::string() : " " + std::string(shortForm);
}

}  // namespace

std::shared_ptr<CurrencyConverterView> CurrencyConverterView::create(ConverterServices services) {
  return std::shared_ptr<CurrencyConverterView>(new CurrencyConverterView(std::move(services)));
}

CurrencyConverterView::CurrencyConverterView(ConverterServices services)
    : services_(std::move(services)),
      localeId_(resolveLocaleId(services_.locale)),
      formats_(NumberFormats::forLocale(localeId_)) {
  useKeptRates();
}

CurrencyConverterView::~CurrencyConverterView() = default;

const std::vector<std::string>& CurrencyConverterView::currencies() {
  return catalogueCodes();
}

const std::map<std::string, std::string>& CurrencyConverterView::currencyFlags() {
  return catalogueFlags();
}

const std::map<std::string, std::string>& CurrencyConverterView::currencySymbols() {
  return catalogueSymbols();
}

std::string CurrencyConverterView::currencyFlag(std::string_view code) {
  return flagFor(code);
}

std::string CurrencyConverterView::getCurrencySymbol(std::string_view code) const {
  return symbolFor(code);
}

std::optional<double> CurrencyConverterView::getRate(std::string_view code) const {
  return rateFor(exchangeRates, code);
}

void CurrencyConverterView::convert() {
  std::string typed = amountText;
  std::erase(typed, ',');
  const std::optional<double> amount = UnitType::parseAmount(typed);
  if (!amount) {
    if (amountText.empty()) {
      resultText = "---";
      allConversions.clear();
    } else {
      resultText = "Invalid";
    }
    return;
  }

  const std::optional<double> fromRate = getRate(fromCurrency);
  const std::optional<double> toRate = getRate(toCurrency);
  const std::optional<std::string> line = rateLine();
  if (!fromRate || !toRate || !line) {
    rateText = missingRateText();
    return;
  }

  const double converted = *amount / *fromRate * *toRate;
  allConversions = generateAllConversions(converted, toCurrency);

  const UnitFormatting display = UnitType::formatValue(converted, toCurrency);
  // The shown figure is the rounded one, so the result row and a swap agree on the number.
  const double shown = readNumber(display.formatted).value_or(converted);
  const std::string number = formats_->upToTwoDecimals(shown).value_or("--");
  resultText = currencyFlag(toCurrency) + " " + number + unitSuffix(display.unit);

  rateText = *line;
}

std::optional<std::string> CurrencyConverterView::rateLine() const {
  const std::optional<double> fromRate = getRate(fromCurrency);
  const std::optional<double> toRate = getRate(toCurrency);
  if (!fromRate || !toRate) return std::nullopt;
  return fromCurrency + " 1 = " + toCurrency + " " + formatFixed(*toRate / *fromRate, 4);
}

std::vector<ConversionEntry> CurrencyConverterView::generateAllConversions(
    double amount, std::string_view currency) const {
  const std::string flag = currencyFlag(currency);
  std::vector<ConversionEntry> rows;
  auto add = [&](UnitType unit, const char* word) {
    rows.push_back(ConversionEntry{unit, amount / unit.multiplier(), flag + word});
  };
  if (currency == "INR") {
    if (amount >= 100'000.0) add(UnitType::lakh, " Lakh");
    if (amount >= 1'000'000.0) add(UnitType::million, " Million");
    if (amount >= 10'000'000.0) add(UnitType::crore, " Crore");
    if (amount >= 1'000'000'000.0) add(UnitType::billion, " Billion");
    if (amount < 100'000.0) add(UnitType::none, " Units");
  } else {
    if (amount >= 1'000.0) add(UnitType::thousand, " Thousand");
    if (amount >= 1'000'000.0) add(UnitType::million, " Million");
    if (amount >= 1'000'000'000.0) add(UnitType::billion, " Billion");
    if (amount < 1'000.0) add(UnitType::none, " Units");
  }
  return rows;
}

std::string CurrencyConverterView::formatConversionValue(double value, UnitType unit) const {
  return formats_->twoDecimals(value).value_or("--") + unitSuffix(unit);
}

std::string CurrencyConverterView::formatValueWithCurrency(double value, UnitType unit,
                                                           std::string_view currency) const {
  return getCurrencySymbol(currency) + " " + formatConversionValue(value, unit);
}

void CurrencyConverterView::swapCurrencies() {
  std::swap(fromCurrency, toCurrency);
  // Read after the swap on purpose: a one-piece result is cleaned of the new target's flag.
  amountText = amountFromResult(resultText);
  convert();
  applyChanges();
}

void CurrencyConverterView::copyToClipboard(std::string_view text) {
  if (services_.clipboard) services_.clipboard->replaceWithText(text);
}

}  // namespace ovantic
