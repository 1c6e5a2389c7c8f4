#include "panel/visual_effect_view.h"

#include <QPainter>
#include <QPainterPath>

namespace ovantic {

namespace {
constexpr qreal kCornerRadius = 10;
constexpr qreal kTranslucentOpacity = 0.94;
}  // namespace

VisualEffectView::VisualEffectView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("visualEffectView"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool VisualEffectView::isTranslucent() const {
  return window()->testAttribute(Qt::WA_TranslucentBackground);
}

void VisualEffectView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QColor color = palette().color(QPalette::Window);
  if (!isTranslucent()) {
    painter.fillRect(rect(), color);
    return;
  }
  color.setAlphaF(static_cast<float>(kTranslucentOpacity));
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath path;
  path.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
  painter.fillPath(path, color);
}

}  // namespace ovantic
