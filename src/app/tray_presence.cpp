#include "app/tray_presence.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <cstdio>
#include <utility>

#include "desktop/desktop_platform.h"
#include "desktop/tray_item.h"
#include "desktop/tray_watch.h"
#include "desktop/xdg/desktop_notification.h"

namespace ovantic {

namespace {
// Only where nothing announces a tray: checking every two seconds costs nothing while idle.
constexpr int kTrayPollMs = 2000;
}  // namespace

TrayPresence::TrayPresence(const DesktopPlatform& desktop,
                           std::function<const TrayItem*()> currentItem, QObject* parent)
    : QObject(parent),
      desktop_(desktop),
      currentItem_(std::move(currentItem)),
      watch_(new TrayWatch(this)) {
  poll_.setInterval(kTrayPollMs);
  connect(&poll_, &QTimer::timeout, this, [this] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    poll_.stop();
    emit iconWanted();
  });
  connect(watch_, &TrayWatch::hostAppeared, this, [this] {
    // A host that comes after an XEmbed tray (the shell's own, or a bridge such as Plasma's
    // xembedsniproxy) takes the icon over: clicks and the icon's pictures then come and go
    // directly.
    if (!holdsItemOnHost()) emit iconWanted();
  });
  connect(watch_, &TrayWatch::xembedTrayAppeared, this, [this] {
    // GNOME Shell holds the X11 tray selection besides hosting status notifier items: the item
    // already on the bus is the one icon.
    if (!holdsItemOnHost() || !watch_->sniHostPresent()) emit iconWanted();
  });
  connect(watch_, &TrayWatch::hostVanished, this, [this] {
    // Our item registers again with the next watcher; meanwhile an XEmbed tray can show the icon.
    if (holdsItemOnHost() && watch_->xembedTrayPresent()) emit iconWanted();
  });
}

bool TrayPresence::holdsItemOnHost() const {
  const TrayItem* item = currentItem_();
  return item && item->isStatusNotifierItem();
}

void TrayPresence::launch(bool iconElsewhere) {
  // The session bus is asked whether a host is there without waiting on it; a watcher that hangs
  // holds up nothing but this.
  if (!watch_->hostKnown()) {
    watch_->whenHostKnown([this, iconElsewhere] { launch(iconElsewhere); });
    return;
  }
  if (iconElsewhere) {
    // Nothing to ask for or wait for yet; the watch below still follows the trays.
  } else if (watch_->trayPresent()) {
    emit iconWanted();
  } else {
    waitForTray();
  }
  // Watching for trays to come and go costs a few bus round trips; the icon goes first. A tray
  // that came up in between announced itself to no one, so it is looked for once more.
  QTimer::singleShot(0, this, [this] {
    watch_->start();
    if (!currentItem_() && watch_->trayPresent()) emit iconWanted();
  });
}

bool TrayPresence::trayPresent() const {
  return watch_->trayPresent();
}

bool TrayPresence::iconGoesToHost() {
  // The watch keeps the bus's last answer: asking costs no round trip.
  return watch_->sniHostPresent();
}

void TrayPresence::waitForTray() {
  if (watch_->canHearOfATray()) {
    std::fputs(
        "ovantic: no system tray is running yet; the icon will appear as soon as one starts.\n",
        stderr);
  } else if (!desktop_.trayFoundWithoutBus()) {
    std::fputs(
        "ovantic: no system tray is running, and without a session bus none can be found; "
        "the icon cannot appear in this session.\n",
        stderr);
  } else {
    std::fputs("ovantic: no system tray is running yet; the icon will appear once one starts.\n",
               stderr);
    poll_.start();
  }
  std::fflush(stderr);
  // Launched from a menu on a desktop without a tray, the user would otherwise see nothing at all.
  showDesktopNotification(
      tr("Ovantic is waiting for a system tray"),
      tr("Its icon appears as soon as a system tray runs. On GNOME, install and enable the "
         "AppIndicator extension (gnome-shell-extension-appindicator); on other desktops, add a "
         "system tray or status notifier widget to a panel."));
}

}  // namespace ovantic
