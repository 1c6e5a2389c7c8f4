#include "panel/panel_style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>

namespace ovantic::style {

namespace {

const QString emojiFamily = QStringLiteral("Noto Color Emoji");

// Mixes `amount` of `over` into `base`: 0 keeps `base`, 1 gives `over`.
QColor mix(const QColor& base, const QColor& over, qreal amount) {
  const auto channel = [amount](float a, float b) {
    return a + (b - a) * static_cast<float>(amount);
  };
  return QColor::fromRgbF(channel(base.redF(), over.redF()), channel(base.greenF(), over.greenF()),
                          channel(base.blueF(), over.blueF()));
}

}  // namespace

QFont systemFont(int pixelSize, QFont::Weight weight) {
  QFont font = QApplication::font();
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

QFont monospacedFont(int pixelSize, QFont::Weight weight) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  return font;
}

QFont flagFont(int pixelSize) {
  QFont font = QApplication::font();
  font.setFamilies({emojiFamily, QApplication::font().family()});
  font.setPixelSize(pixelSize);
  return font;
}

QFont textWithFlagsFont() {
  QFont font = QApplication::font();
  font.setFamilies({QApplication::font().family(), emojiFamily});
  return font;
}

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() <
         palette.color(QPalette::WindowText).lightness();
}

QColor primaryText(const QPalette& palette) {
  return palette.color(QPalette::WindowText);
}

QColor secondaryText(const QPalette& palette) {
  return mix(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.42);
}

QColor tertiaryText(const QPalette& palette) {
  return mix(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.62);
}

QColor blue(const QPalette& palette) {
  // The palette's link hue, at a lightness that reads on the panel in either appearance.
  const QColor link = palette.color(QPalette::Link);
  const int hue = link.hslHue() < 0 ? 212 : link.hslHue();
  return QColor::fromHsl(hue, 255, isDark(palette) ? 165 : 110);
}

QColor green(const QPalette& palette) {
  return isDark(palette) ? QColor::fromHsl(135, 150, 140) : QColor::fromHsl(135, 200, 80);
}

QColor controlBackground(const QPalette& palette) {
  const QColor window = palette.color(QPalette::Window);
  const QColor base = palette.color(QPalette::Base);
  // Some dark palettes give Base the very tone of Window; lift the card a little then.
  if (qAbs(base.lightness() - window.lightness()) < 8) {
    return isDark(palette) ? window.lighter(135) : window.lighter(106);
  }
  return base;
}

QColor separator(const QPalette& palette) {
  return mix(palette.color(QPalette::WindowText), palette.color(QPalette::Window), 0.5);
}

QColor withAlpha(QColor color, qreal alpha) {
  color.setAlphaF(static_cast<float>(alpha));
  return color;
}

void setTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  widget->setPalette(palette);
}

}  // namespace ovantic::style
