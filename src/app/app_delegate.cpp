#include "app/app_delegate.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <cstdio>
#include <utility>

#include "app/app_menu.h"
#include "app/popover_window.h"
#include "app/popup_placement.h"
#include "desktop/gnome/shell_extension_link.h"
#include "desktop/outside_click_monitor.h"
#include "desktop/sni/status_notifier_item.h"
#include "desktop/tray_icon.h"
#include "desktop/tray_watch.h"
#include "desktop/x11/x11_click_observer.h"
#include "panel/converter_panel.h"

namespace ovantic {

namespace {

// Only where nothing announces a tray: checking every two seconds costs nothing while idle.
constexpr int kTrayPollMs = 2000;
// At login the shell may enable its extensions after Ovantic has started.
constexpr int kShellExtensionGraceMs = 10000;
constexpr char kShellExtensionAdvised[] = "shellExtensionAdvised";

// Launched from a menu on a desktop without a tray, the user would otherwise see nothing at all.
void announceWaitingForTray() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  auto notify = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
                                               QStringLiteral("/org/freedesktop/Notifications"),
                                               QStringLiteral("org.freedesktop.Notifications"),
                                               QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("ovantic"));
  notify << QStringLiteral("Ovantic") << 0u << QStringLiteral("ovantic")
         << QStringLiteral("Ovantic is waiting for a system tray")
         << QStringLiteral(
                "Its icon appears as soon as a system tray runs. On GNOME, install and enable "
                "the AppIndicator extension (gnome-shell-extension-appindicator); on other "
                "desktops, add a system tray or status notifier widget to a panel.")
         << QStringList() << hints << -1;
  // No answer is awaited: without a notification service the stderr line is all there is.
  bus.send(notify);
}

std::optional<QRect> usableAreaAround(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  return screen->availableGeometry();
}

}  // namespace

AppDelegate::AppDelegate(ConverterServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      menu_(std::make_unique<AppMenu>(AutostartEntry::forThisSession())),
      trayWatch_(new TrayWatch(this)),
      shellLink_(new ShellExtensionLink(QDBusConnection::sessionBus(), this)),
      openAction_(new QAction(QStringLiteral("Open Ovantic"), this)) {
  clock_.start();
  connect(openAction_, &QAction::triggered, this, &AppDelegate::openPopover);
  connect(shellLink_, &ShellExtensionLink::extensionAppeared, this, &AppDelegate::setupMenuBarIcon);
  connect(shellLink_, &ShellExtensionLink::extensionVanished, this, [this] {
    // Back to the status notifier host or an XEmbed tray, whichever is there.
    statusItem.reset();
    if (trayWatch_->trayPresent()) setupMenuBarIcon();
  });
  connect(shellLink_, &ShellExtensionLink::closeRequested, this, &AppDelegate::closePopover);
  connect(menu_.get(), &AppMenu::aboutRequested, this, &AppDelegate::showAbout);
  connect(menu_.get(), &AppMenu::quitRequested, qApp, &QCoreApplication::quit,
          Qt::QueuedConnection);
  trayPoll_.setInterval(kTrayPollMs);
  connect(&trayPoll_, &QTimer::timeout, this, [this] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    trayPoll_.stop();
    setupMenuBarIcon();
  });
  connect(trayWatch_, &TrayWatch::hostAppeared, this, [this] {
    // A host that comes after an XEmbed tray (the shell's own, or a bridge such as Plasma's
    // xembedsniproxy) takes the icon over: clicks and the icon's pictures then come and go
    // directly.
    if (!statusItem || !statusItem->isStatusNotifierItem()) setupMenuBarIcon();
  });
  connect(trayWatch_, &TrayWatch::xembedTrayAppeared, this, [this] {
    // GNOME Shell holds the X11 tray selection besides hosting status notifier items: the item
    // already on the bus is the one icon.
    if (!statusItem || !statusItem->isStatusNotifierItem() || !trayWatch_->sniHostPresent())
      setupMenuBarIcon();
  });
  connect(trayWatch_, &TrayWatch::hostVanished, this, [this] {
    // Our item registers again with the next watcher; meanwhile an XEmbed tray can show the icon.
    if (statusItem && statusItem->isStatusNotifierItem() && trayWatch_->xembedTrayPresent())
      setupMenuBarIcon();
  });
}

// No clean-up worth doing at exit beyond what the members do themselves; a panel still open goes
// with its window.
AppDelegate::~AppDelegate() {
  eventMonitor.reset();
  delete popover.data();
}

void AppDelegate::applicationDidFinishLaunching() {
  hostSeenAtLaunch_ = trayWatch_->sniHostPresent();
  if (shellLink_->extensionPresent() || hostSeenAtLaunch_ || trayWatch_->trayPresent()) {
    setupMenuBarIcon();
  } else {
    waitForTray();
  }
  // Watching for trays to come and go costs a few bus round trips; the icon goes first. A tray
  // that came up in between announced itself to no one, so it is looked for once more.
  QTimer::singleShot(0, this, [this] {
    trayWatch_->start();
    if (!statusItem && trayWatch_->trayPresent()) setupMenuBarIcon();
  });
  if (isGnomeShellDesktop(qEnvironmentVariable("XDG_CURRENT_DESKTOP"))) {
    QTimer::singleShot(kShellExtensionGraceMs, this, &AppDelegate::adviseShellExtension);
  }
}

bool AppDelegate::useShellExtension() {
  if (!shellLink_->extensionPresent()) return false;
  if (dynamic_cast<ShellExtensionItem*>(statusItem.get())) return true;
  statusItem = std::make_unique<ShellExtensionItem>(shellLink_, QIcon(), QStringLiteral("Ovantic"));
  connect(statusItem.get(), &TrayItem::activated, this, &AppDelegate::onActivated);
  return true;
}

void AppDelegate::adviseShellExtension() {
  const auto& preferences = services_.preferences;
  if (shellLink_->extensionPresent() || !shellLink_->isListening()) return;
  if (!shellExtensionInstalled()) return;
  if (preferences && preferences->value(kShellExtensionAdvised)) return;
  announceShellExtension(QDBusConnection::sessionBus());
  // Once per user: whoever chose the AppIndicator route is not asked again at every login.
  if (preferences) preferences->setValue(kShellExtensionAdvised, "1");
}

void AppDelegate::waitForTray() {
  if (trayWatch_->canHearOfATray()) {
    std::fputs(
        "ovantic: no system tray is running yet; the icon will appear as soon as one starts.\n",
        stderr);
  } else if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
    std::fputs(
        "ovantic: no system tray is running, and without a session bus none can be found; "
        "the icon cannot appear in this session.\n",
        stderr);
  } else {
    std::fputs("ovantic: no system tray is running yet; the icon will appear once one starts.\n",
               stderr);
    trayPoll_.start();
  }
  std::fflush(stderr);
  announceWaitingForTray();
}

void AppDelegate::setupMenuBarIcon() {
  if (useShellExtension()) return;
  // Asked at launch a moment ago already; two bus round trips saved on the way to the tray.
  const bool toHost = std::exchange(hostSeenAtLaunch_, false) || trayWatch_->sniHostPresent();
  // One item on the bus for the whole run: it follows restarted watchers by itself, and a second
  // one would show as a second icon.
  if (toHost && statusItem && statusItem->isStatusNotifierItem()) return;
  QIcon icon = makeTrayIcon(iconPath, trayInk());
  if (icon.isNull()) icon = plainDiscIcon(trayInk());
  const QString tip = QStringLiteral("Ovantic");
  statusItem.reset();
  if (toHost) {
    auto item = std::make_unique<StatusNotifierItem>(
        icon, sniIconName(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), symbolicIconInstalled()),
        tip);
    // From GNOME 45 on, the AppIndicator extension activates an item only on a double click and
    // shows its menu on a single one: the menu's first entry opens the panel. GNOME 43's
    // extension passes single clicks on, where a menu would open beside the panel.
    if (gnomeShellMajorVersion(QDBusConnection::sessionBus()) >= 45) {
      item->exportMenu({openAction_}, menu_.get());
    }
    statusItem = std::move(item);
  } else {
    statusItem = makeQtTrayItem(icon, tip);
  }
  connect(statusItem.get(), &TrayItem::activated, this, &AppDelegate::onActivated);
  connect(statusItem.get(), &TrayItem::contextMenuRequested, this,
          &AppDelegate::contextMenuRequested);
  attachMenuToIcon();
}

void AppDelegate::attachMenuToIcon() {
  // GNOME's AppIndicator extension opens an icon's menu on the left click, which would take the
  // panel away from the icon; there the menu stays in the panel. XEmbed trays and Plasma keep the
  // menu to the right click.
  const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
  if (desktop.contains(QLatin1String("GNOME"), Qt::CaseInsensitive) ||
      desktop.contains(QLatin1String("Unity"), Qt::CaseInsensitive)) {
    return;
  }
  if (!statusItem) return;
  connect(statusItem.get(), &TrayItem::contextMenuRequested, menu_.get(),
          [menu = menu_.get()](QPoint at) { menu->popup(at); });
}

void AppDelegate::showAbout() {
  closePopover();
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("About Ovantic"),
                              AppMenu::aboutText(QString::fromStdString(services_.ratesUrl)),
                              QMessageBox::Close);
  box->setObjectName(QStringLiteral("aboutBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}

void AppDelegate::onActivated(QSystemTrayIcon::ActivationReason reason) {
  // Qt reports the second of two quick clicks as a double click instead of a click, yet for the
  // user it is one more click on the icon. The right click is the tray's, which shows the menu.
  if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) return;
  if (!closingClick_.acceptActivation(clock_.elapsed())) return;
  togglePopover();
}

void AppDelegate::openPopover() {
  if (!popover) {
    showPopover();
    return;
  }
  // Open already, perhaps behind the window the user went to: it takes the keyboard back.
  popover->raise();
  if (popover->kind() == PopoverKind::unmanaged && clickObserver()->isValid()) {
    clickObserver()->giveKeyboardTo(static_cast<std::uint32_t>(popover->winId()));
  } else {
    popover->activateWindow();
  }
}

void AppDelegate::togglePopover() {
  if (popover) {
    closePopover();
  } else {
    showPopover();
  }
}

void AppDelegate::showPopover() {
  auto model = CurrencyConverterView::create(services_);
  if (!statusItem) return;

  PopoverKind kind = popoverKindFor(QGuiApplication::platformName());
  // Without XInput 2 nothing would see the click elsewhere; a popup's grab at least closes it.
  if (kind == PopoverKind::unmanaged && !clickObserver()->isValid()) kind = PopoverKind::popup;
  auto* window = new PopoverWindow(std::move(model), kind);
  PopupAnchor anchor{statusItem->geometry(), QCursor::pos(), {}};
  anchor.area = usableAreaAround(anchor.icon.isEmpty() ? anchor.cursor : anchor.icon.center());
  // A Wayland compositor places the window itself, and Qt knows the pointer there only over its
  // own windows, so the room beside a click is unknown: the whole screen is the room.
  const int room =
      kind == PopoverKind::toplevel && anchor.area ? anchor.area->height() : popupRoom(anchor);
  window->setPlacement([anchor](QSize size) { return popupPosition(size, anchor); }, room);

  window->panel()->setAppMenu(menu_.get());
  connect(window->panel(), &ConverterPanel::closeRequested, this, [this, window] {
    if (popover == window) closePopover();
  });
  window->show();
  if (window->kind() != PopoverKind::popup) {
    window->raise();
    window->activateWindow();
  }
  popover = window;
  startEventMonitor();
  emit popoverShown();
}

void AppDelegate::closePopover() {
  if (!popover) return;
  QPointer<PopoverWindow> closing = popover;
  // Closing on a later turn of the loop lets the click or key that asked for it finish its
  // delivery to widgets that are still alive.
  QTimer::singleShot(0, closing, [closing] { closing->dismiss(); });
  popover.clear();
  stopEventMonitor();
  emit popoverClosed();
}

void AppDelegate::startEventMonitor() {
  if (!popover) return;
  QPointer<PopoverWindow> watched = popover;
  eventMonitor = std::make_unique<OutsideClickMonitor>(
      popover, [this] { return statusItem ? statusItem->geometry() : QRect(); },
      [this, watched](OutsideClickMonitor::Reason reason) {
        // A window whose close is already scheduled hides later; that must not close the panel
        // opened in the meantime.
        if (!watched || popover != watched) return;
        // Where the tray keeps the icon's place to itself (a status notifier host), a click on
        // the icon is a click elsewhere too, and the host's activation follows it.
        const bool iconUnknown = !statusItem || statusItem->geometry().isEmpty();
        if (reason == OutsideClickMonitor::Reason::panelLostFocus ||
            (reason == OutsideClickMonitor::Reason::clickOutside && iconUnknown)) {
          closingClick_.panelLostFocus(clock_.elapsed());
        }
        closePopover();
      });
  if (popover->kind() == PopoverKind::unmanaged) {
    OutsideClickMonitor* monitor = eventMonitor.get();
    const auto panelWindow = static_cast<std::uint32_t>(popover->winId());
    clickObserver()->start(
        [monitor](int button) {
          // The wheel (buttons 4 to 7) scrolls whatever is under it and leaves the panel be.
          if (button >= 1 && button <= 3) monitor->pressedAt(QCursor::pos());
        },
        [monitor, panelWindow](std::uint32_t active) {
          // None active says nothing of where the keyboard went; the panel's own window is never
          // made active by a window manager, but a launcher setting it directly would be harmless.
          if (active != 0 && active != panelWindow) monitor->otherWindowActivated();
        });
  }
}

X11ClickObserver* AppDelegate::clickObserver() {
  if (!clickObserver_) clickObserver_ = std::make_unique<X11ClickObserver>();
  return clickObserver_.get();
}

void AppDelegate::stopEventMonitor() {
  if (!eventMonitor) return;
  if (clickObserver_) clickObserver_->stop();
  // The monitor may be the caller (its handler closed the panel), so it stops listening now and
  // goes once it has returned.
  OutsideClickMonitor* monitor = eventMonitor.release();
  qApp->removeEventFilter(monitor);
  monitor->deleteLater();
}

}  // namespace ovantic
