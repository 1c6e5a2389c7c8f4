#include "panel/symbol_button.h"

#include <QPainter>
#include <QPainterPath>

namespace ovantic {

namespace {

// An open circle running clockwise from the upper right round to the top, where a solid
// arrowhead points on to the right: the usual "reload" mark. The head is a filled triangle rather
// than a stroked chevron, whose round joins merge into a blob at small sizes.
void drawArrowClockwise(QPainter& painter, const QRectF& box, qreal stroke) {
  const qreal head = qMax(box.width() * 0.3, 5.0);
  const qreal inset = qMax(head * 0.5, stroke / 2);
  const QRectF circle = box.adjusted(inset, inset, -inset, -inset);
  // Qt measures angles counter-clockwise from three o'clock, so a clockwise arc has a negative
  // span. It stops at the back of the head, short of the top.
  QPainterPath arc;
  arc.arcMoveTo(circle, 20);
  arc.arcTo(circle, 20, -275);
  painter.drawPath(arc);

  const QPointF top(circle.center().x(), circle.top());
  QPainterPath arrowhead;
  arrowhead.moveTo(top + QPointF(head * 0.75, 0));
  arrowhead.lineTo(top + QPointF(-head * 0.25, -head * 0.6));
  arrowhead.lineTo(top + QPointF(-head * 0.25, head * 0.6));
  arrowhead.closeSubpath();
  painter.fillPath(arrowhead, painter.pen().color());
}

// The theme's picture in the button's colour: symbolic theme icons are one flat colour, and this
// keeps them in the panel's secondary grey on light and dark alike.
QPixmap tinted(const QIcon& icon, int size, qreal ratio, const QColor& color) {
  QPixmap pixmap = icon.pixmap(QSize(size, size), ratio);
  if (pixmap.isNull()) return pixmap;
  QPainter painter(&pixmap);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(pixmap.rect(), color);
  return pixmap;
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

// Three dots one above the other: the usual mark of a menu of further commands.
void drawVerticalEllipsis(QPainter& painter, const QRectF& box, qreal stroke) {
  const qreal radius = qMax(stroke, box.width() * 0.11);
  painter.setBrush(painter.pen().color());
  painter.setPen(Qt::NoPen);
  for (const qreal y : {0.2, 0.5, 0.8}) {
    painter.drawEllipse(QPointF(box.center().x(), box.top() + box.height() * y), radius, radius);
  }
}

}  // namespace

SymbolButton::SymbolButton(Symbol symbol, int pointSize, bool bold, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), pointSize_(pointSize), bold_(bold) {
  // Reached by Tab only; its ring is the panel's FocusRing, outside the symbol.
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  // The desktop's own reload symbol where its icon theme has one; the drawn arrow otherwise.
  if (symbol == Symbol::arrowClockwise && QIcon::hasThemeIcon(QStringLiteral("view-refresh"))) {
    themeIcon_ = QIcon::fromTheme(QStringLiteral("view-refresh"));
  }
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
  if (!themeIcon_.isNull()) {
    const QPixmap picture = tinted(themeIcon_, pointSize_, devicePixelRatioF(), color_);
    if (!picture.isNull()) {
      const QSizeF shown = picture.deviceIndependentSize();
      painter.drawPixmap(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                         picture);
      return;
    }
  }
  painter.setPen(QPen(color_, stroke, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  switch (symbol_) {
    case Symbol::arrowClockwise:
      drawArrowClockwise(painter, box, stroke);
      break;
    case Symbol::arrowUpArrowDown:
      drawArrowUpArrowDown(painter, box, stroke);
      break;
    case Symbol::verticalEllipsis:
      drawVerticalEllipsis(painter, box, stroke);
      break;
  }
}

}  // namespace ovantic
