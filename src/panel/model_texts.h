#pragma once

#include <QCoreApplication>
#include <QString>

namespace ovantic {

class CurrencyConverterView;

// The panel's words for the converter's states, in the user's language; the figures, codes and
// dates in them are the converter's, written by ICU in the user's locale.
class ModelTexts {
  Q_DECLARE_TR_FUNCTIONS(ModelTexts)

 public:
  // The result row: the converted amount, or what stands in for it.
  static QString result(const CurrencyConverterView& model);
  // The footer's rate line: the pair's rate, or what the fetch is doing or why it failed.
  static QString rateLine(const CurrencyConverterView& model);
  // The footer's line on how old the rates are; empty until rates came.
  static QString ratesAge(const CurrencyConverterView& model);
};

}  // namespace ovantic
