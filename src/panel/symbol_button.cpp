#include "panel/symbol_button.h"

#include <QPainter>
#include <QPainterPath>

namespace ovantic {

namespace {

// An open circle running clockwise from the upper right round to the top, where an arrowhead
// points on to the right: the usual "reload" mark.
void drawArrowClockwise(QPainter& painter, const QRectF& box, qreal stroke) {
  const qreal inset = stroke / 2 + box.width() * 0.08;
  const QRectF circle = box.adjusted(inset, inset, -inset, -inset);
  // Qt measures angles counter-clockwise from three o'clock, so a clockwise arc has a negative
  // span.
  QPainterPath arc;
  arc.arcMoveTo(circle, 30);
  arc.arcTo(circle, 30, -300);
  painter.drawPath(arc);

  const QPointF tip(circle.center().x(), circle.top());
  const qreal head = circle.width() * 0.3;
  QPainterPath chevron;
  chevron.moveTo(tip + QPointF(-head * 0.8, -head * 0.8));
  chevron.lineTo(tip);
  chevron.lineTo(tip + QPointF(-head * 0.8, head * 0.8));
  painter.drawPath(chevron);
}

// Two arrows side by side: the left one up, the right one down.
void drawArrowUpArrowDown(QPainter& painter, const QRectF& box, qreal stroke) {
  const qreal inset = stroke / 2 + box.width() * 0.06;
  const QRectF area = box.adjusted(inset, inset, -inset, -inset);
  const qreal head = area.width() * 0.24;
  const qreal leftX = area.left() + area.width() * 0.28;
  const qreal rightX = area.right() - area.width() * 0.28;

  QPainterPath path;
  path.moveTo(leftX, area.bottom());
  path.lineTo(leftX, area.top());
  path.moveTo(leftX - head, area.top() + head);
  path.lineTo(leftX, area.top());
  path.lineTo(leftX + head, area.top() + head);

  path.moveTo(rightX, area.top());
  path.lineTo(rightX, area.bottom());
  path.moveTo(rightX - head, area.bottom() - head);
  path.lineTo(rightX, area.bottom());
  path.lineTo(rightX + head, area.bottom() - head);
  painter.drawPath(path);
}

}  // namespace

SymbolButton::SymbolButton(Symbol symbol, int pointSize, bool bold, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), pointSize_(pointSize), bold_(bold) {
  // Reached by Tab only; its ring is the panel's FocusRing, outside the symbol.
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolButton::setSymbolColor(const QColor& color) {
  color_ = color;
  update();
}

void SymbolButton::setPadding(int horizontal, int vertical) {
  padX_ = horizontal;
  padY_ = vertical;
  updateGeometry();
}

QSize SymbolButton::sizeHint() const {
  return {pointSize_ + 2 * padX_, pointSize_ + 2 * padY_};
}

void SymbolButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal size = pointSize_;
  const QRectF box((width() - size) / 2.0, (height() - size) / 2.0, size, size);
  const qreal stroke = size * (bold_ ? 0.14 : 0.1);

  painter.setOpacity(isEnabled() ? 1.0 : 0.35);
  painter.setPen(QPen(color_, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  switch (symbol_) {
    case Symbol::arrowClockwise:
      drawArrowClockwise(painter, box, stroke);
      break;
    case Symbol::arrowUpArrowDown:
      drawArrowUpArrowDown(painter, box, stroke);
      break;
  }
}

}  // namespace ovantic
