#include "panel/rounded_card.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace ovantic {

RoundedCard::RoundedCard(qreal radius, QWidget* parent) : QWidget(parent), radius_(radius) {
  setAttribute(Qt::WA_StyledBackground, false);
}

void RoundedCard::setFill(const QColor& fill) {
  if (fill_ == fill) return;
  fill_ = fill;
  update();
}

void RoundedCard::setClickable(bool clickable) {
  if (clickable_ == clickable) return;
  clickable_ = clickable;
  pressed_ = false;
  // A card that once took clicks keeps its place in the tab chain while it ignores them. Only the
  // keyboard moves focus onto it; a click leaves the focus where typing goes.
  if (clickable) setFocusPolicy(Qt::TabFocus);
}

void RoundedCard::click() {
  if (clickable_) emit clicked();
}

void RoundedCard::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  if (fill_.alpha() > 0) {
    QPainterPath path;
    path.addRoundedRect(area, radius_, radius_);
    painter.fillPath(path, fill_);
  }
}

void RoundedCard::mousePressEvent(QMouseEvent* event) {
  if (clickable_ && event->button() == Qt::LeftButton) {
    pressed_ = true;
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void RoundedCard::mouseReleaseEvent(QMouseEvent* event) {
  // A click is a press and a release on the card, as for any button.
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (clickable_ && wasPressed && event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint())) {
    event->accept();
    emit clicked();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

void RoundedCard::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (clickable_ && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
    event->accept();
    emit clicked();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace ovantic
