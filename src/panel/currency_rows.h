#pragma once

#include <QString>

#include "panel/rounded_card.h"
#include "panel/wrapping_label.h"

class QLabel;
class QLineEdit;

namespace ovantic {

class CurrencyPicker;

// The amount row: source picker, amount field and, while a scale unit is recognised, its badge.
class AmountRow : public RoundedCard {
  Q_OBJECT

 public:
  // The field starts with `amount` rather than having it written in: a screen reader speaks text
  // written into the focused field, and reading its events late, it would take an amount written
  // just before the panel showed for typing and say it ahead of the window's name.
  explicit AmountRow(const QString& amount, QWidget* parent = nullptr);

  CurrencyPicker* picker() const { return picker_; }
  QLineEdit* amountField() const { return amountField_; }
  RoundedCard* badge() const { return badge_; }
  QLabel* badgeLabel() const { return badgeLabel_; }

  // An empty short form hides the badge.
  void setBadge(const QString& shortForm);
  void applyStyle(const QPalette& palette);

 private:
  CurrencyPicker* picker_;
  QLineEdit* amountField_;
  RoundedCard* badge_;
  QLabel* badgeLabel_;
};

// The result row: target picker and the result, which copies itself when clicked, or "Copied!".
class ResultRow : public RoundedCard {
  Q_OBJECT

 public:
  explicit ResultRow(QWidget* parent = nullptr);

  CurrencyPicker* picker() const { return picker_; }
  // The click target: the whole area right of the picker.
  RoundedCard* resultArea() const { return resultArea_; }
  WrappingLabel* resultLabel() const { return resultLabel_; }

  // `spoken` is what a screen reader says for it: the amount, without the flag.
  void showResult(const QString& resultText, const QString& spoken);
  // "Copied!" in green with the copied amount still beside it; the area takes no clicks until
  // showResult() again.
  void showCopied(const QString& copied, const QString& spoken);
  bool isShowingCopied() const { return showingCopied_; }
  void applyStyle(const QPalette& palette);

 protected:
  // The card's padding around the result is part of the click target: the result's glyphs sit in
  // the middle of a card twice their height, and a click just above them is a click on it.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void applyTextColor();
  bool onResultSide(const QPoint& point) const;

  CurrencyPicker* picker_;
  RoundedCard* resultArea_;
  WrappingLabel* resultLabel_;
  bool showingCopied_ = false;
  bool paddingPressed_ = false;
  QColor primary_;
  QColor green_;
};

}  // namespace ovantic
