#include "desktop/tray_icon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <algorithm>
#include <memory>

namespace ovantic {

namespace {

// Trays hand out cells that are not always square (22 by 30 under some XEmbed hosts); the disc
// stays round, centred in the largest square that fits.
QRectF squareIn(const QRectF& area) {
  const qreal side = std::min(area.width(), area.height());
  return {area.x() + (area.width() - side) / 2, area.y() + (area.height() - side) / 2, side, side};
}

class TintedSvgEngine : public QIconEngine {
 public:
  TintedSvgEngine(std::shared_ptr<QSvgRenderer> renderer, QColor ink)
      : renderer_(std::move(renderer)), ink_(ink) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    if (!renderer_->isValid() || rect.isEmpty()) return;
    // Draw into a layer first so the tint touches only the icon's own pixels, not what the tray
    // painted underneath.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap layer = pixmap(rect.size() * ratio, mode, QIcon::Off);
    layer.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect, layer);
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
    QPixmap layer(size);
    layer.fill(Qt::transparent);
    if (!renderer_->isValid() || size.isEmpty()) return layer;
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing);
    renderer_->render(&p, squareIn(QRectF(QPointF(0, 0), QSizeF(size))));
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    QColor ink = ink_;
    if (mode == QIcon::Disabled) ink.setAlphaF(ink.alphaF() * 0.4f);
    p.fillRect(layer.rect(), ink);
    return layer;
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

  QIconEngine* clone() const override { return new TintedSvgEngine(renderer_, ink_); }

  bool isNull() override { return !renderer_->isValid(); }

  // The same drawing as installed in the hicolor theme: a status notifier host that recolours
  // symbolic icons to suit its panel takes this name rather than our pixels.
  QString iconName() override { return QString::fromLatin1(kTrayIconName); }

 private:
  std::shared_ptr<QSvgRenderer> renderer_;
  QColor ink_;
};

}  // namespace

QIcon makeTrayIcon(const QString& svgPath, const QColor& ink) {
  auto renderer = std::make_shared<QSvgRenderer>(svgPath);
  if (!renderer->isValid()) return {};
  QIcon icon(new TintedSvgEngine(std::move(renderer), ink));
  icon.setIsMask(true);
  return icon;
}

QIcon plainDiscIcon(const QColor& ink) {
  QPixmap disc(64, 64);
  disc.fill(Qt::transparent);
  QPainter p(&disc);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  p.drawEllipse(QRectF(2, 2, 60, 60));
  p.end();
  QIcon icon(disc);
  icon.setIsMask(true);
  return icon;
}

QColor trayInk() {
  // Trays do not share our palette, and a light or a dark one may sit behind the icon whatever
  // our window colours are. This dark gold (relative luminance 0.166) stands out at least 3.2 to
  // 1 from every panel measured: Plasma's light grey (#cfd2d4), #f0f0f0, #1f1f1f and GNOME's
  // black top bar. The room is narrow: from 0.141 (dark panels) to 0.180 (Plasma's).
  return QColor(0x96, 0x69, 0x09);
}

}  // namespace ovantic
