#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

#include "desktop/tray_item.h"

class QAction;
class QDBusServiceWatcher;
class QMenu;

namespace ovantic {

class DBusMenu;
class StatusNotifierItemAdaptor;

// One picture of the icon as status notifier hosts take it: ARGB32 in network byte order.
struct SniPixmap {
  int width = 0;
  int height = 0;
  QByteArray bytes;
};
using SniPixmapList = QList<SniPixmap>;

// The icon's pictures at the sizes panels draw tray icons at.
SniPixmapList sniPixmaps(const QIcon& icon);

// The name to publish as IconName, or empty for the pictures alone. A host that recolours
// symbolic icons to suit its panel does so only for an icon it finds by name, so the installed
// symbolic icon is named; one that is not installed is not, since some hosts (lxqt-panel) show a
// placeholder for a name they cannot find rather than the pictures. lxqt-panel does not find it
// even where it is installed, and draws the pictures as they are, so it is given none.
QString sniIconName(const QString& currentDesktop, bool symbolicIconInstalled);
// Whether the symbolic icon is in the hicolor theme of one of the XDG data folders.
bool symbolicIconInstalled();

// Our own StatusNotifierItem on the session bus, registered with the desktop's watcher and again
// with every watcher that takes its place. Qt's tray icon registers each icon from a connection
// of its own, so an icon made again for a tray that appeared shows twice, and it cannot answer
// GNOME's AppIndicator extension so that single clicks keep arriving.
class StatusNotifierItem : public TrayItem {
  Q_OBJECT

 public:
  StatusNotifierItem(const QIcon& icon, const QString& iconName, const QString& toolTip,
                     QObject* parent = nullptr);
  ~StatusNotifierItem() override;

  QIcon icon() const override { return icon_; }
  QString toolTip() const override { return toolTip_; }
  QRect geometry() const override { return {}; }
  bool isStatusNotifierItem() const override { return true; }
  std::optional<QPoint> activationPoint() const override { return activatedAt_; }
  QByteArray takeActivationToken() override { return std::exchange(activationToken_, {}); }

  // The object path hosts find the item at, under the connection's unique name.
  static constexpr char kObjectPath[] = "/StatusNotifierItem";

  // What the bus adaptor hands on; `message` is the host's call.
  void onActivate(int x, int y, const QDBusMessage& message);
  void onContextMenu(int x, int y);
  // Hosts on Wayland (Plasma) hand over a token before each Activate, so that the window the
  // click opens may take the focus.
  void onActivationToken(const QString& token) { activationToken_ = token.toUtf8(); }

  // Offers `leading` and then `menu`'s actions as the item's menu, for hosts that show a menu on
  // a single click (GNOME's AppIndicator extension from GNOME 45 on).
  void exportMenu(const QList<QAction*>& leading, QMenu* menu);
  bool hasMenu() const { return menu_ != nullptr; }

  const QString& iconName() const { return iconName_; }
  const SniPixmapList& pixmaps() const;

 private:
  void registerWithWatcher();

  QDBusConnection bus_;
  QIcon icon_;
  QString iconName_;
  QString toolTip_;
  mutable SniPixmapList pixmaps_;
  std::optional<QPoint> activatedAt_;
  QByteArray activationToken_;
  bool exported_ = false;
  QDBusServiceWatcher* watcher_ = nullptr;
  StatusNotifierItemAdaptor* adaptor_ = nullptr;
  DBusMenu* menu_ = nullptr;
};

}  // namespace ovantic

Q_DECLARE_METATYPE(ovantic::SniPixmap)
