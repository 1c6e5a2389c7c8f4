#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace ovantic {

// The tray icon: the monochrome SVG drawn fresh at whatever size the tray asks for, in `ink`, so it
// stays sharp on any scale factor and readable on light and dark panels. Marked as a mask so
// platforms that tint template images (macOS) do so. Null when the file cannot be read.
QIcon makeTrayIcon(const QString& svgPath, const QColor& ink);

// A bare disc in `ink`: still something to click when the icon file is unreadable.
QIcon plainDiscIcon(const QColor& ink);

// The icon's name in the hicolor theme, published to status notifier hosts.
inline constexpr char kTrayIconName[] = "ovantic-symbolic";

// The ink for the tray: one colour that reads clearly on light and dark trays alike.
QColor trayInk();

}  // namespace ovantic
