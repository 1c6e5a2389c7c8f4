#include "panel/model_texts.h"

#include "converter/currency_converter_view.h"

namespace ovantic {

namespace {

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

// English is the source language and ships no translation of its own: where none applies, the
// source's "(s)" becomes what English wants for the count.
QString counted(QString translated, long long count) {
  return translated.replace(QLatin1String("(s)"), count == 1 ? QString() : QStringLiteral("s"));
}

}  // namespace

QString ModelTexts::result(const CurrencyConverterView& model) {
  if (model.resultState() == CurrencyConverterView::ResultState::invalid) return tr("Invalid");
  return qs(model.resultText);
}

QString ModelTexts::rateLine(const CurrencyConverterView& model) {
  using State = CurrencyConverterView::RateLineState;
  switch (model.rateLineState()) {
    case State::rate:
      return qs(model.rateText);
    case State::fetching:
      return tr("Fetching rates...");
    case State::loading:
      return tr("Loading rates...");
    case State::noRate:
      return tr("No rate for %1").arg(qs(model.currencyWithoutRate()));
    case State::notLoaded:
      return tr("Failed to load rates");
    case State::notJson:
      return tr("Error loading rates");
    case State::wrongShape:
      return tr("Failed to parse rates");
  }
  return qs(model.rateText);
}

QString ModelTexts::ratesAge(const CurrencyConverterView& model) {
  const std::optional<RatesAge> age = model.ratesAge();
  if (!age) return qs(model.lastUpdatedText);
  const auto n = static_cast<int>(age->count);
  QString when;
  if (age->kept) {
    switch (age->count == 0 ? RatesAge::Unit::minute : age->unit) {
      case RatesAge::Unit::minute:
        when =
            n == 0 ? tr("kept under a minute") : counted(tr("kept %Ln minute(s)", nullptr, n), n);
        break;
      case RatesAge::Unit::hour:
        when = counted(tr("kept %Ln hour(s)", nullptr, n), n);
        break;
      case RatesAge::Unit::day:
        when = counted(tr("kept %Ln day(s)", nullptr, n), n);
        break;
    }
  } else {
    switch (age->unit) {
      case RatesAge::Unit::minute:
        when = n == 0 ? tr("fetched just now")
                      : counted(tr("fetched %Ln minute(s) ago", nullptr, n), n);
        break;
      case RatesAge::Unit::hour:
        when = counted(tr("fetched %Ln hour(s) ago", nullptr, n), n);
        break;
      case RatesAge::Unit::day:
        when = counted(tr("fetched %Ln day(s) ago", nullptr, n), n);
        break;
    }
  }
  //: %1 is how old they are, such as "fetched 5 minutes ago"
  if (!age->day) return tr("Rates %1").arg(when);
  //: %1 is the day the rates are from, %2 how old they are, such as "fetched 5 minutes ago"
  return tr("Rates of %1, %2").arg(qs(ratesDayText(model.localeId(), *age->day)), when);
}

}  // namespace ovantic
