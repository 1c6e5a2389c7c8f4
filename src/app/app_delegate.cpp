#include "app/app_delegate.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>

#include "app/outside_click_monitor.h"
#include "app/popover_window.h"
#include "app/popup_placement.h"
#include "app/tray_icon.h"
#include "panel/converter_panel.h"

namespace ovantic {

namespace {

// A tray can take a while to appear after login; checking every two seconds costs nothing while
// idle and opens the icon soon enough once it does.
constexpr int kTrayPollMs = 2000;

std::optional<QRect> usableAreaAround(QPoint point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return std::nullopt;
  return screen->availableGeometry();
}

}  // namespace

AppDelegate::AppDelegate(ConverterServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {
  clock_.start();
  trayWatch_.setInterval(kTrayPollMs);
  connect(&trayWatch_, &QTimer::timeout, this, [this] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    trayWatch_.stop();
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
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    setupMenuBarIcon();
  } else {
    waitForTray();
  }
}

void AppDelegate::waitForTray() {
  std::fputs(
      "ovantic: no system tray is running, so there is no icon to show yet; "
      "it will appear as soon as a tray starts.\n",
      stderr);
  std::fflush(stderr);
  trayWatch_.start();
}

void AppDelegate::setupMenuBarIcon() {
  statusItem = std::make_unique<QSystemTrayIcon>();
  QIcon icon = makeTrayIcon(iconPath, trayInk());
  statusItem->setIcon(icon.isNull() ? plainDiscIcon(trayInk()) : icon);
  statusItem->setToolTip(QStringLiteral("Ovantic"));
  connect(statusItem.get(), &QSystemTrayIcon::activated, this, &AppDelegate::onActivated);
  statusItem->show();
}

void AppDelegate::onActivated(QSystemTrayIcon::ActivationReason reason) {
  // Qt reports the second of two quick clicks as a double click instead of a click, yet for the
  // user it is one more click on the icon. Other buttons do nothing: there is no menu.
  if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::DoubleClick) return;
  if (!closingClick_.acceptActivation(clock_.elapsed())) return;
  togglePopover();
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

  auto* window =
      new PopoverWindow(std::move(model), popoverKindFor(QGuiApplication::platformName()));
  PopupAnchor anchor{statusItem->geometry(), QCursor::pos(), {}};
  anchor.area = usableAreaAround(anchor.icon.isEmpty() ? anchor.cursor : anchor.icon.center());
  const int maxHeight = anchor.area ? anchor.area->height() : QWIDGETSIZE_MAX;
  window->setPlacement([anchor](QSize size) { return popupPosition(size, anchor); }, maxHeight);

  connect(window->panel(), &ConverterPanel::closeRequested, this, [this, window] {
    if (popover == window) closePopover();
  });
  window->show();
  if (window->kind() == PopoverKind::toplevel) {
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
  QTimer::singleShot(0, closing, [closing] {
    closing->close();
    closing->deleteLater();
  });
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
        if (reason == OutsideClickMonitor::Reason::panelLostFocus) {
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
  qApp->removeEventFilter(monitor);
  monitor->deleteLater();
}

}  // namespace ovantic
