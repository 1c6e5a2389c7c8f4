#pragma once

#include <QByteArray>
#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QSystemTrayIcon>
#include <memory>
#include <optional>

namespace ovantic {

// The icon in the desktop's tray, whichever way it gets there: Qt's own tray icon (XEmbed on X11,
// the platform's tray elsewhere) or a status notifier item of ours on the session bus.
class TrayItem : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  virtual QIcon icon() const = 0;
  virtual QString toolTip() const = 0;
  // The icon's place on screen; empty where the tray keeps it to itself.
  virtual QRect geometry() const = 0;
  // Whether the item goes over the session bus to a status notifier host.
  virtual bool isStatusNotifierItem() const { return false; }
  // Where the last click on the icon was, where the tray says so (a status notifier host's
  // Activate); absent where only the icon's geometry or the cursor can tell.
  virtual std::optional<QPoint> activationPoint() const { return std::nullopt; }
  // The activation token the tray handed over for the next window we show, once; empty if none.
  virtual QByteArray takeActivationToken() { return {}; }

 signals:
  // A click on the icon, as Qt names it.
  void activated(QSystemTrayIcon::ActivationReason reason);
  // The user asked for the icon's menu (a right click, a host's ContextMenu), at `globalPos`.
  void contextMenuRequested(QPoint globalPos);
};

// Qt's tray icon, shown at once: XEmbed on X11, the native tray on macOS and Windows.
std::unique_ptr<TrayItem> makeQtTrayItem(const QIcon& icon, const QString& toolTip);

}  // namespace ovantic
