#include "desktop/tray_watch.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <memory>
#include <string>

namespace ovantic {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// A watcher that hangs must not hold up the launch for long.
constexpr int kBusCallTimeoutMs = 500;

xcb_connection_t* x11Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

}  // namespace

TrayWatch::TrayWatch(QObject* parent) : QObject(parent) {
  onBus_ = QDBusConnection::sessionBus().isConnected();
  if (xcb_connection_t* c = x11Connection()) {
    onX11_ = true;
    // The tray of the screen Qt put us on; trays of other X screens are out of reach anyway.
    int screen = 0;
    if (const char* display = std::getenv("DISPLAY")) {
      const std::string name = display;
      const auto dot = name.rfind('.');
      if (dot != std::string::npos && dot > name.rfind(':'))
        screen = std::atoi(name.c_str() + dot + 1);
    }
    const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            c,
            xcb_intern_atom(c, 0, static_cast<std::uint16_t>(selection.size()), selection.data()),
            nullptr),
        &std::free);
    if (reply) trayAtom_ = reply->atom;
  }
  selectionPoll_.setInterval(kSelectionPollMs);
  connect(&selectionPoll_, &QTimer::timeout, this, [this] {
    const std::uint32_t before = lastOwner_;
    const std::uint32_t now = xembedOwner();
    if (now != 0 && now != before) emit xembedTrayAppeared();
  });
}

bool TrayWatch::canHearOfATray() const {
  return onBus_ || onX11_;
}

bool TrayWatch::trayPresent() {
  if (sniHostPresent()) return true;
  if (onX11_) return xembedOwner() != 0;
  // Neither a bus nor X11 (macOS, Windows): Qt's own answer is all there is.
  if (!onBus_) return QSystemTrayIcon::isSystemTrayAvailable();
  return false;
}

void TrayWatch::start() {
  if (onBus_) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // A watcher that starts already knowing a host (a restarted bar) announces no host of its own.
    auto* services = new QDBusServiceWatcher(
        kWatcherService, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration,
        this);
    connect(services, &QDBusServiceWatcher::serviceRegistered, this, &TrayWatch::onHostRegistered);
    connect(services, &QDBusServiceWatcher::serviceUnregistered, this, &TrayWatch::hostVanished);
    bus.connect(QString(), kWatcherPath, kWatcherService,
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(onHostRegistered()));
  }
  if (onX11_ && trayAtom_ != 0) {
    xembedOwner();
    selectionPoll_.start();
  }
}

void TrayWatch::onHostRegistered() {
  if (sniHostPresent()) emit hostAppeared();
}

bool TrayWatch::sniHostPresent() const {
  if (!onBus_) return false;
  QDBusConnection bus = QDBusConnection::sessionBus();
  // One round trip: without a watcher the bus answers the call itself, with an error.
  auto call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                             QStringLiteral("org.freedesktop.DBus.Properties"),
                                             QStringLiteral("Get"));
  call << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  // Asking must not start a watcher the bus knows how to launch.
  call.setAutoStartService(false);
  const QDBusMessage reply = bus.call(call, QDBus::Block, kBusCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

std::uint32_t TrayWatch::xembedOwner() {
  xcb_connection_t* c = x11Connection();
  if (!c || trayAtom_ == 0) return 0;
  std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, trayAtom_), nullptr), &std::free);
  lastOwner_ = reply ? reply->owner : 0;
  return lastOwner_;
}

}  // namespace ovantic
