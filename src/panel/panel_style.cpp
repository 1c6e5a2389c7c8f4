#include "panel/panel_style.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>
#include <QWidget>
#include <cmath>

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

// WCAG relative luminance and contrast ratio: how well one colour reads on another.
qreal luminance(const QColor& color) {
  const auto linear = [](float channel) {
    const double c = channel;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
         0.0722 * linear(color.blueF());
}

}  // namespace

qreal contrast(const QColor& a, const QColor& b) {
  const qreal la = luminance(a);
  const qreal lb = luminance(b);
  return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor readableOn(const QColor& color, const QColor& background, qreal ratio) {
  // Away from the background's own lightness, a step at a time, keeping the hue: the faintest
  // shade of the intended colour that still reads.
  const QColor away = luminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
  QColor shade = color;
  for (int step = 1; step <= 20 && contrast(shade, background) < ratio; ++step) {
    shade = mix(color, away, step / 20.0);
  }
  return shade;
}

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
  const QColor link = palette.color(QPalette::Link);
  if (contrast(link, palette.color(QPalette::Window)) >= 3.0) return link;
  // A dark palette that kept a light theme's deep blue: same hue, lifted until it reads.
  const int hue = link.hslHue() < 0 ? 212 : link.hslHue();
  return QColor::fromHsl(hue, 255, isDark(palette) ? 165 : 110);
}

QColor focusRing(const QPalette& palette) {
  return palette.color(QPalette::Highlight);
}

QColor green(const QPalette& palette) {
  // "Copied!" is read on the cards.
  const QColor green =
      isDark(palette) ? QColor::fromHsl(135, 150, 140) : QColor::fromHsl(135, 200, 80);
  return readableOn(green, controlBackground(palette));
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

QPalette darkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(38, 38, 40));
  p.setColor(QPalette::WindowText, QColor(236, 236, 236));
  p.setColor(QPalette::Base, QColor(56, 56, 60));
  p.setColor(QPalette::AlternateBase, QColor(48, 48, 52));
  p.setColor(QPalette::Text, QColor(236, 236, 236));
  p.setColor(QPalette::Button, QColor(50, 50, 54));
  p.setColor(QPalette::ButtonText, QColor(236, 236, 236));
  p.setColor(QPalette::Light, QColor(70, 70, 74));
  p.setColor(QPalette::Midlight, QColor(60, 60, 64));
  p.setColor(QPalette::Mid, QColor(44, 44, 46));
  p.setColor(QPalette::Dark, QColor(24, 24, 26));
  p.setColor(QPalette::Shadow, QColor(0, 0, 0));
  p.setColor(QPalette::Highlight, QColor(42, 130, 218));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(80, 160, 255));
  p.setColor(QPalette::LinkVisited, QColor(160, 130, 255));
  p.setColor(QPalette::PlaceholderText, QColor(140, 140, 140));
  p.setColor(QPalette::ToolTipBase, QColor(56, 56, 60));
  p.setColor(QPalette::ToolTipText, QColor(236, 236, 236));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
  }
  return p;
}

void setTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  palette.setColor(QPalette::Text, color);
  widget->setPalette(palette);
}

}  // namespace ovantic::style
