#pragma once

#include <QColor>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "converter/currency_converter_view.h"
#include "panel/wrapping_label.h"

class QLabel;
class QVBoxLayout;

namespace ovantic {

class RoundedCard;

// The "All Units" list: a heading and one clickable card per conversion entry, showing the entry's
// label and its value, or "Copied!" on the line whose unit was copied last.
class AllConversionsView : public QWidget {
  Q_OBJECT

 public:
  using ValueFormatter = std::function<QString(double value, UnitType unit)>;

  explicit AllConversionsView(ValueFormatter formatValue, QWidget* parent = nullptr);

  // Rebuilds the lines only when the entries or the flag differ from those shown; tells whether it
  // did. `flag` is the currency's; each line is named by its unit's word.
  bool setEntries(const std::vector<ConversionEntry>& entries, const QString& flag);
  const std::vector<ConversionEntry>& entries() const { return entries_; }
  void setCopiedUnit(std::optional<UnitType> unit);
  // The first line: the exact amount in full digits (no line while `text` is empty), or
  // "Copied!" while `copied`.
  void setExact(const QString& flag, const QString& text, bool copied);
  RoundedCard* exactLine() const { return exact_.card; }
  WrappingLabel* exactValueLabel() const { return exact_.value; }

  int lineCount() const { return static_cast<int>(lines_.size()); }
  RoundedCard* line(int index) const;
  WrappingLabel* valueLabel(int index) const;

  void applyStyle(const QPalette& palette);

  // Runs with the entry of a clicked line.
  std::function<void(const ConversionEntry&)> onLineClicked;
  std::function<void()> onExactClicked;
  // What a screen reader says for a line's amount, in words; unset, the number and unit's word.
  ValueFormatter spokenValue;

 private:
  struct Line {
    RoundedCard* card;
    QLabel* flag;
    QLabel* label;
    WrappingLabel* value;
  };

  Line makeLine(const QString& name, const QString& word);
  static void showFlag(const Line& line, const QString& flag);
  static QString unitWord(UnitType unit);
  void rebuild();
  void refreshValues();
  void styleLine(std::size_t index);
  void styleExact();
  void paintLine(const Line& line, bool copied);

  ValueFormatter formatValue_;
  QVBoxLayout* layout_;
  QLabel* heading_;
  std::vector<ConversionEntry> entries_;
  QString flag_;
  std::vector<Line> lines_;
  Line exact_{};
  bool exactCopied_ = false;
  std::optional<UnitType> copiedUnit_;
  QColor secondary_, primary_, green_, card_;
};

}  // namespace ovantic
