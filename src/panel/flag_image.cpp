#include "panel/flag_image.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <cmath>

namespace ovantic {

namespace {

// Noto Color Emoji carries its flags as bitmaps of this pixel size: drawing at it scales nothing.
constexpr int kNativePixelSize = 109;

QImage drawnLarge(const QString& flag) {
  QFont font(QStringLiteral("Noto Color Emoji"));
  font.setPixelSize(kNativePixelSize);
  const int side = kNativePixelSize * 2;
  QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter painter(&canvas);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, flag);
  }
  // Cut to the visible pixels, so the height asked for is the flag's own.
  int top = side, bottom = -1, left = side, right = -1;
  for (int y = 0; y < side; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
    for (int x = 0; x < side; ++x) {
      if (qAlpha(row[x]) < 24) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
      left = std::min(left, x);
      right = std::max(right, x);
    }
  }
  if (bottom < 0) return {};
  return canvas.copy(QRect(QPoint(left, top), QPoint(right, bottom)));
}

}  // namespace

QPixmap flagPixmap(const QString& flag, int height, qreal devicePixelRatio) {
  static QHash<QString, QImage> large;
  static QHash<QString, QPixmap> scaled;
  if (flag.isEmpty() || height <= 0) return {};
  const QString key = QStringLiteral("%1/%2/%3").arg(flag).arg(height).arg(devicePixelRatio);
  if (const auto found = scaled.constFind(key); found != scaled.constEnd()) return *found;
  auto source = large.constFind(flag);
  if (source == large.constEnd()) source = large.insert(flag, drawnLarge(flag));
  QPixmap result;
  if (!source->isNull()) {
    const int deviceHeight = std::max(1, static_cast<int>(std::lround(height * devicePixelRatio)));
    result = QPixmap::fromImage(source->scaledToHeight(deviceHeight, Qt::SmoothTransformation));
    result.setDevicePixelRatio(devicePixelRatio);
  }
  scaled.insert(key, result);
  return result;
}

}  // namespace ovantic
