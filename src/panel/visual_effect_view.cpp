#include "panel/visual_effect_view.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include "panel/panel_style.h"

namespace ovantic {

namespace {
constexpr qreal kCornerRadius = 10;
constexpr qreal kTranslucentOpacity = 0.94;
constexpr int kShadowBlur = 12;
constexpr int kShadowDrop = 3;  // light from above: the shadow falls a little lower
constexpr qreal kShadowOpacity = 0.3;
}  // namespace

VisualEffectView::VisualEffectView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("visualEffectView"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

QMargins VisualEffectView::shadowMargins() {
  return {kShadowBlur, kShadowBlur - kShadowDrop, kShadowBlur, kShadowBlur + kShadowDrop};
}

bool VisualEffectView::isTranslucent() const {
  return window()->testAttribute(Qt::WA_TranslucentBackground);
}

void VisualEffectView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QColor color = palette().color(QPalette::Window);
  const QColor edge = style::separator(palette());
  if (!isTranslucent()) {
    painter.fillRect(rect(), color);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    return;
  }
  color.setAlphaF(static_cast<float>(kTranslucentOpacity));
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);
  painter.fillPath(path, color);
  painter.strokePath(path, QPen(edge, 1));
}

void VisualEffectView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The window is known only once the panel is in it.
  QWidget* shadowed = isTranslucent() && window() != parentWidget() ? window() : nullptr;
  if (shadowed_ == shadowed) return;
  if (shadowed_) shadowed_->removeEventFilter(this);
  shadowed_ = shadowed;
  if (shadowed_) shadowed_->installEventFilter(this);
}

bool VisualEffectView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == shadowed_) {
    // The window draws nothing of its own; the shadow goes in first, the panel is drawn over it.
    if (event->type() == QEvent::Paint) paintShadow(shadowed_);
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) passClicksThroughShadow();
  }
  return QWidget::eventFilter(watched, event);
}

void VisualEffectView::passClicksThroughShadow() {
  // A click on the shadow is a click beside the panel, and must reach what lies below so that the
  // panel closes as for any click elsewhere. Where a mask would cut the shadow off instead, the
  // shell's own click watch decides.
  QWindow* handle = shadowed_ ? shadowed_->windowHandle() : nullptr;
  if (!handle || !shadowPassesClicks_) return;
  handle->setMask(QRegion(QRect(mapTo(shadowed_, QPoint(0, 0)), size())));
}

void VisualEffectView::paintShadow(QWidget* window) {
  const QRectF panel(mapTo(window, QPoint(0, 0)), size());
  QPainter painter(window);
  painter.setRenderHint(QPainter::Antialiasing);
  // The panel's own shape dropped a little, where it shows below the panel, then rings of falling
  // strength around it that blend into a soft edge, with no blur filter.
  QPainterPath panelShape;
  panelShape.addRoundedRect(panel, kCornerRadius, kCornerRadius);
  QPainterPath dropped;
  dropped.addRoundedRect(panel.translated(0, kShadowDrop), kCornerRadius, kCornerRadius);
  painter.fillPath(dropped.subtracted(panelShape),
                   QColor::fromRgbF(0, 0, 0, static_cast<float>(kShadowOpacity)));
  painter.setBrush(Qt::NoBrush);
  for (int step = 1; step <= kShadowBlur; ++step) {
    const qreal fade = 1.0 - static_cast<qreal>(step) / (kShadowBlur + 1);
    painter.setPen(
        QPen(QColor::fromRgbF(0, 0, 0, static_cast<float>(kShadowOpacity * fade * fade)), 1.0));
    const qreal grow = step - 0.5;
    painter.drawRoundedRect(panel.adjusted(-grow, -grow + kShadowDrop, grow, grow + kShadowDrop),
                            kCornerRadius + grow, kCornerRadius + grow);
  }
}

}  // namespace ovantic
