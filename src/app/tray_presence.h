#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace ovantic {

class DesktopPlatform;
class TrayItem;
class TrayWatch;

// Knows whether a tray is there to hold the icon, and asks for the icon (anew) whenever one
// appears or another kind of tray takes over; says once, when there is none at launch, that the
// program waits for one.
class TrayPresence : public QObject {
  Q_OBJECT

 public:
  // `currentItem` is the icon the shell holds now, or null.
  TrayPresence(const DesktopPlatform& desktop, std::function<const TrayItem*()> currentItem,
               QObject* parent = nullptr);

  // At launch: asks for the icon at once where a tray runs, else waits for one; starts watching
  // once the icon is up. With `iconElsewhere` (the shell shows it) it only starts watching.
  void launch(bool iconElsewhere = false);
  bool trayPresent() const;
  // Whether the icon should go to a status notifier host rather than to Qt's tray icon.
  bool iconGoesToHost();

 signals:
  void iconWanted();

 private:
  void waitForTray();
  bool holdsItemOnHost() const;

  const DesktopPlatform& desktop_;
  std::function<const TrayItem*()> currentItem_;
  TrayWatch* watch_;
  // Where neither a session bus nor X11 can tell of a tray, Qt is asked now and then instead.
  QTimer poll_;
};

}  // namespace ovantic
