#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

namespace ovantic {

// A plain button that shows only a drawn symbol: no bezel, no background, no hover effect.
// Disabled, it dims the symbol. The symbols are drawn here so they look the same on every desktop.
class SymbolButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum class Symbol { arrowClockwise, arrowUpArrowDown, verticalEllipsis };

  SymbolButton(Symbol symbol, int pointSize, bool bold, QWidget* parent = nullptr);

  void setSymbolColor(const QColor& color);
  // Space around the symbol inside the button.
  void setPadding(int horizontal, int vertical);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Symbol symbol_;
  int pointSize_;
  bool bold_;
  int padX_ = 0;
  int padY_ = 0;
  QColor color_ = Qt::gray;
  QIcon themeIcon_;
};

}  // namespace ovantic
