#include "panel/focus_ring.h"

#include <QFocusEvent>
#include <QPainter>
#include <QTimer>

namespace ovantic {

namespace {
constexpr qreal kRingWidth = 2;
}  // namespace

FocusRing::FocusRing(QWidget* panel, QWidget* home) : QWidget(panel), panel_(panel), home_(home) {
  setObjectName(QStringLiteral("focusRing"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(panel->rect());
  panel->installEventFilter(this);
  raise();
  show();
}

void FocusRing::track(QWidget* control, qreal radius, int outset) {
  if (shapes_.contains(control)) return;
  shapes_.insert(control, {radius, outset});
  // A click must not park the focus on the control: the ring would show for a mouse action, and
  // typing would no longer reach the amount field.
  control->setFocusPolicy(Qt::TabFocus);
  control->installEventFilter(this);
  connect(control, &QObject::destroyed, this, [this](QObject* gone) { shapes_.remove(gone); });
}

void FocusRing::setColor(const QColor& color) {
  color_ = color;
  update(painted_);
}

QRect FocusRing::ringRect() const {
  if (!target_ || !target_->isVisible()) return {};
  const Shape shape = shapes_.value(target_.data());
  const QRect box(target_->mapTo(panel_, QPoint(0, 0)), target_->size());
  return box.adjusted(-shape.outset, -shape.outset, shape.outset, shape.outset);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
  if (watched == panel_) {
    if (event->type() == QEvent::Resize) setGeometry(panel_->rect());
    if (event->type() == QEvent::LayoutRequest) followTarget();
    return false;
  }
  const bool tracked = shapes_.contains(watched);
  auto* widget = static_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::FocusIn:
      if (tracked) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        setTarget(reason == Qt::MouseFocusReason ? nullptr : widget);
      }
      break;
    case QEvent::FocusOut:
      if (tracked && widget == target_) setTarget(nullptr);
      // Qt hands the focus of a control that turns disabled (refresh, while it fetches) to the
      // next control in the chain; the amount field is the better place for it.
      if (tracked && !widget->isEnabled()) sendHome();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      if (tracked && home_ && !home_->hasFocus()) home_->setFocus(Qt::MouseFocusReason);
      break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
      followTarget();
      break;
    default:
      break;
  }
  return false;
}

void FocusRing::setTarget(QWidget* control) {
  if (target_ == control) return;
  for (const QPointer<QWidget>& ancestor : watchedAncestors_) {
    if (ancestor) ancestor->removeEventFilter(this);
  }
  watchedAncestors_.clear();
  target_ = control;
  // The control moves when anything above it in the panel changes height, which it is not told
  // about; its containers are.
  if (control) {
    for (QWidget* up = control->parentWidget(); up && up != panel_; up = up->parentWidget()) {
      up->installEventFilter(this);
      watchedAncestors_.append(up);
    }
    raise();
  }
  followTarget();
}

void FocusRing::followTarget() {
  const QRect next = ringRect();
  if (next == painted_) return;
  update(painted_);
  painted_ = next;
  update(painted_);
}

void FocusRing::sendHome() {
  // Later, once Qt has finished moving the focus on.
  QTimer::singleShot(0, this, [home = home_] {
    if (home && home->isEnabled()) home->setFocus(Qt::OtherFocusReason);
  });
}

void FocusRing::paintEvent(QPaintEvent*) {
  painted_ = ringRect();
  if (painted_.isEmpty() || color_.alpha() == 0) return;
  const Shape shape = shapes_.value(target_.data());
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(color_, kRingWidth));
  painter.setBrush(Qt::NoBrush);
  const qreal half = kRingWidth / 2;
  painter.drawRoundedRect(QRectF(painted_).adjusted(half, half, -half, -half), shape.radius,
                          shape.radius);
}

}  // namespace ovantic
