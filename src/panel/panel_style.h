#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// Fonts and colours of the panel. Sizes are logical pixels; colours derive from the widget palette
// so the panel follows the desktop's light and dark appearance without fixed text colours.
namespace ovantic::style {

QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal);
QFont monospacedFont(int pixelSize, QFont::Weight weight = QFont::Normal);
// The flags are regional-indicator pairs; only a colour emoji font draws them as flags.
QFont flagFont(int pixelSize);

bool isDark(const QPalette& palette);
QColor primaryText(const QPalette& palette);
QColor secondaryText(const QPalette& palette);
QColor tertiaryText(const QPalette& palette);
// The desktop's link colour (the link, the unit badge).
QColor blue(const QPalette& palette);
// The desktop's selection colour, which marks keyboard focus.
QColor focusRing(const QPalette& palette);
QColor green(const QPalette& palette);
// The fill of the rounded cards, a tone apart from the panel's backdrop.
QColor controlBackground(const QPalette& palette);
QColor separator(const QPalette& palette);
QColor withAlpha(QColor color, qreal alpha);

// The WCAG contrast ratio of two colours, from 1 to 21.
qreal contrast(const QColor& a, const QColor& b);
// `color`, darkened or lightened just enough to stand `ratio` to 1 on `background` (4.5 is what
// small text needs).
QColor readableOn(const QColor& color, const QColor& background, qreal ratio = 4.5);

// A dark palette in the tones the panel was designed with, for a desktop that asks for dark while
// Qt's own palette is light.
QPalette darkPalette();

// Sets both text roles, so labels and line edits alike take the colour.
void setTextColor(QWidget* widget, const QColor& color);

}  // namespace ovantic::style
