#pragma once

#include <QWidget>

namespace ovantic {

class AllConversionsView;
class AmountRow;
class ResultRow;
class SymbolButton;

// The middle of the panel: amount row, swap button, result row and, while it has lines, the
// all-units list.
class UnitConversionView : public QWidget {
  Q_OBJECT

 public:
  UnitConversionView(AllConversionsView* allConversions, const QString& amount,
                     QWidget* parent = nullptr);

  AmountRow* fromUnitRow() const { return fromUnitRow_; }
  SymbolButton* swapButton() const { return swapButton_; }
  ResultRow* toUnitRow() const { return toUnitRow_; }
  AllConversionsView* allConversionsView() const { return allConversions_; }

  void applyStyle(const QPalette& palette);

 private:
  AmountRow* fromUnitRow_;
  SymbolButton* swapButton_;
  ResultRow* toUnitRow_;
  AllConversionsView* allConversions_;
};

}  // namespace ovantic
