#include "app/app_delegate.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <utility>

#include "app/app_menu.h"
#include "app/popover_window.h"
#include "app/popup_placement.h"
#include "app/tray_presence.h"
#include "desktop/gnome/shell_extension_link.h"
#include "desktop/outside_click_monitor.h"
#include "desktop/sni/status_notifier_item.h"
#include "desktop/tray_icon.h"
#include "desktop/wayland/layer_shell_panel.h"
#include "panel/converter_panel.h"

namespace ovantic {

namespace {

// At login the shell may enable its extensions after Ovantic has started.
constexpr int kShellExtensionGraceMs = 10000;
constexpr char kShellExtensionAdvised[] = "shellExtensionAdvised";

std::optional<QRect> usableAreaAround(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  return screen->availableGeometry();
}

}  // namespace

AppDelegate::AppDelegate(ConverterServices services, QObject* parent)
    : AppDelegate(std::move(services), DesktopPlatform::forThisSession(), parent) {}

AppDelegate::AppDelegate(ConverterServices services, std::unique_ptr<DesktopPlatform> desktop,
                         QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      desktop_(std::move(desktop)),
      menu_(std::make_unique<AppMenu>(AutostartEntry::forThisSession())),
      tray_(new TrayPresence(
          *desktop_, [this] { return statusItem.get(); }, this)),
      shellLink_(new ShellExtensionLink(QDBusConnection::sessionBus(), this)),
      openAction_(new QAction(QStringLiteral("Open Ovantic"), this)) {
  clock_.start();
  connect(openAction_, &QAction::triggered, this, &AppDelegate::openPopover);
  connect(shellLink_, &ShellExtensionLink::extensionAppeared, this, &AppDelegate::setupMenuBarIcon);
  connect(shellLink_, &ShellExtensionLink::extensionVanished, this, [this] {
    // Back to the status notifier host or an XEmbed tray, whichever is there.
    statusItem.reset();
    if (tray_->trayPresent()) setupMenuBarIcon();
  });
  connect(shellLink_, &ShellExtensionLink::closeRequested, this, &AppDelegate::closePopover);
  connect(menu_.get(), &AppMenu::aboutRequested, this, &AppDelegate::showAbout);
  connect(menu_.get(), &AppMenu::quitRequested, qApp, &QCoreApplication::quit,
          Qt::QueuedConnection);
  connect(tray_, &TrayPresence::iconWanted, this, &AppDelegate::setupMenuBarIcon);
}

// No clean-up worth doing at exit beyond what the members do themselves; a panel still open goes
// with its window.
AppDelegate::~AppDelegate() {
  eventMonitor.reset();
  delete popover.data();
}

void AppDelegate::applicationDidFinishLaunching() {
  // GNOME Shell with our extension shows the icon itself; the trays are still watched, for the
  // day the extension goes.
  const bool viaShell = shellLink_->extensionPresent();
  if (viaShell) setupMenuBarIcon();
  tray_->launch(viaShell);
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
  announceShellExtension();
  // Once per user: whoever chose the AppIndicator route is not asked again at every login.
  if (preferences) preferences->setValue(kShellExtensionAdvised, "1");
}

void AppDelegate::setupMenuBarIcon() {
  if (useShellExtension()) return;
  const bool toHost = tray_->iconGoesToHost();
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
  auto* box = new QMessageBox(QMessageBox::Information, tr("About Ovantic"),
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
  desktop_->focusPanel(popover);
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

  const PopoverKind kind = desktop_->popoverKind();
  auto* window = new PopoverWindow(
      std::move(model), {kind, desktop_->translucentBackdrop(), desktop_->maskIsInputRegion()});
  // A status notifier host says where the click was; that beats a cursor Qt may not know.
  const std::optional<QPoint> clicked = statusItem->activationPoint();
  PopupAnchor anchor{statusItem->geometry(), clicked.value_or(QCursor::pos()), {}};
  anchor.area = usableAreaAround(anchor.icon.isEmpty() ? anchor.cursor : anchor.icon.center());
  const bool onLayer = kind == PopoverKind::toplevel && clicked && layerShellAvailable();
  QScreen* screen = onLayer ? QGuiApplication::screenAt(*clicked) : nullptr;
  if (screen) anchor = anchorAtBar(*clicked, screen->geometry());
  // Otherwise a Wayland compositor places the window itself, and Qt knows the pointer there only
  // over its own windows, so the room beside a click is unknown: the whole screen is the room.
  const int room = kind == PopoverKind::toplevel && !screen && anchor.area ? anchor.area->height()
                                                                           : popupRoom(anchor);
  window->setPlacement([anchor](QSize size) { return popupPosition(size, anchor); }, room);
  if (screen) {
    window->winId();  // the window's handle, which becomes the layer surface before it shows
    putOnTopLayer(window->windowHandle(), screen, window->pos());
  }
  // Wayland compositors let a window take the focus with the token the host handed over; Qt
  // hands it on when it next activates a window. X11 panels take the keyboard themselves.
  const QByteArray token = statusItem->takeActivationToken();
  if (!token.isEmpty() && kind == PopoverKind::toplevel) qputenv("XDG_ACTIVATION_TOKEN", token);

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
  eventMonitor = desktop_->watchOutside(
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
}

void AppDelegate::stopEventMonitor() {
  if (!eventMonitor) return;
  // The monitor may be the caller (its handler closed the panel), so it stops listening now and
  // goes once it has returned.
  OutsideClickMonitor* monitor = eventMonitor.release();
  monitor->stop();
  monitor->deleteLater();
}

}  // namespace ovantic
