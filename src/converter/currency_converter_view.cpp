#include "converter/currency_converter_view.h"

#include <algorithm>
#include <cctype>
#include <cmath>

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
  restoreRememberedPair();
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

std::vector<std::string> CurrencyConverterView::offeredCurrencies() const {
  return offeredCodes(exchangeRates, recentCurrencies, {fromCurrency, toCurrency});
}

const CurrencyDetails& CurrencyConverterView::describeCurrency(std::string_view code) {
  return currencyDetails(code);
}

std::vector<std::string> CurrencyConverterView::findCurrencies(
    const std::vector<std::string>& codes, std::string_view query) {
  return searchCurrencies(codes, query);
}

std::optional<double> CurrencyConverterView::getRate(std::string_view code) const {
  return rateFor(exchangeRates, code);
}

void CurrencyConverterView::convert() {
  std::optional<double> amount;
  if (carriedAmount_ && carriedAmount_->text == amountText) {
    amount = carriedAmount_->amount;
  } else if (const auto reading = readAmountText(amountText)) {
    amount = reading->amount;
  }
  if (!amount) {
    // Nothing of an earlier amount stays on screen to be read or copied as this one's.
    resultText = amountText.empty() ? "---" : "Invalid";
    resultState_ = amountText.empty() ? ResultState::none : ResultState::invalid;
    allConversions.clear();
    exactText.clear();
    return;
  }

  const std::optional<double> fromRate = getRate(fromCurrency);
  const std::optional<double> toRate = getRate(toCurrency);
  const std::optional<std::string> line = rateLine();
  if (!fromRate || !toRate || !line) {
    // The amount is fine; what is missing is a rate, and an older answer would belong to another
    // amount.
    resultText = "---";
    resultState_ = ResultState::none;
    allConversions.clear();
    exactText.clear();
    rateText = missingRateText();
    return;
  }

  const double converted = *amount / *fromRate * *toRate;
  // Beyond kLargestAmount the shown cents would be digits the double never held.
  if (!std::isfinite(converted) || std::fabs(converted) >= kLargestAmount) {
    resultText = "Invalid";
    resultState_ = ResultState::invalid;
    allConversions.clear();
    exactText.clear();
    return;
  }
  allConversions = generateAllConversions(converted, toCurrency);

  const UnitFormatting display = UnitType::formatValue(converted, toCurrency);
  // The shown figure is the rounded one, so the result row and a swap agree on the number.
  const double shown = readNumber(display.formatted).value_or(converted);
  const std::string number = formats_->upToTwoDecimals(shown).value_or("--");
  resultText = currencyFlag(toCurrency) + " " + number + unitSuffix(display.unit);
  resultState_ = ResultState::amount;
  shownResult_ = ExactAmount{resultText, converted};

  const std::string symbol = getCurrencySymbol(toCurrency);
  // A sign is written against the number (₹10.00); a code or a word keeps a blank (CHF 10.00).
  const bool spaced = !symbol.empty() && std::isalpha(static_cast<unsigned char>(symbol.back()));
  exactText = symbol + (spaced ? " " : "") + formats_->twoDecimals(converted).value_or("--");

  rateText = *line;
  rateLineState_ = RateLineState::rate;
}

std::optional<AmountReading> CurrencyConverterView::readAmountText(std::string_view text) const {
  const AmountSyntax syntax{formats_->decimalComma(), [this](std::string_view typed) {
                              return currencyNamedBy(typed).has_value();
                            }};
  std::optional<AmountReading> reading = readAmount(text, syntax);
  if (reading) {
    for (std::string* named : {&reading->currency, &reading->target}) {
      if (!named->empty()) *named = currencyNamedBy(*named).value_or("");
    }
  }
  return reading;
}

std::optional<std::string> CurrencyConverterView::currencyNamedBy(std::string_view typed) const {
  const auto upperCased = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
  };
  const std::string upper = upperCased(std::string(typed));
  const auto& codes = currencies();
  const auto known = [&](const std::string& code) {
    return std::find(codes.begin(), codes.end(), code) != codes.end() || getRate(code);
  };
  if (isCurrencyCode(upper) && known(upper)) return upper;
  // The chosen source, not the shown one, so that what a text names never depends on what the
  // text before it named.
  if (upperCased(getCurrencySymbol(chosenFrom_)) == upper) return chosenFrom_;
  // Signs several currencies write stand for the best known of them.
  static const std::map<std::string, std::string, std::less<>> kCommonSigns{
      {"$", "USD"},  {"US$", "USD"},    {"\u20B9", "INR"}, {"\u20A8", "INR"},
      {"RS", "INR"}, {"\u20AC", "EUR"}, {"\u00A3", "GBP"}, {"\u00A5", "JPY"}};
  if (const auto found = kCommonSigns.find(upper); found != kCommonSigns.end()) {
    return found->second;
  }
  for (const std::string& code : codes) {
    if (upperCased(getCurrencySymbol(code)) == upper) return code;
  }
  const std::vector<std::string>& called = currenciesCalled(typed);
  if (std::find(called.begin(), called.end(), chosenFrom_) != called.end()) return chosenFrom_;
  for (const std::string& code : called) {
    if (known(code)) return code;
  }
  return std::nullopt;
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
  const std::optional<ExactAmount> exact =
      shownResult_ && shownResult_->text == resultText ? shownResult_ : std::nullopt;
  // Read after the swap on purpose: a one-piece result is cleaned of the new target's flag.
  amountText = amountFromResult(resultText);
  // The field shows the rounded result, but the amount behind it is the exact one.
  carriedAmount_.reset();
  if (exact) carriedAmount_ = ExactAmount{amountText, exact->amount};
  convert();
  applyChanges();
}

void CurrencyConverterView::copyToClipboard(std::string_view text) {
  if (services_.clipboard) services_.clipboard->replaceWithText(text);
}

}  // namespace ovantic
