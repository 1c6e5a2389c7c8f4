#include "desktop/tray_watch.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

namespace ovantic {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// A watcher that hangs is taken for none after this; nothing waits on it meanwhile.
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
    xcb_screen_iterator_t roots = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screen && roots.rem > 1; ++i) xcb_screen_next(&roots);
    if (roots.rem > 0) root_ = roots.data->root;
    // Qt's own connection has asked for the extension already (its clipboard watches selections
    // the same way), so this costs no round trip.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
      ownerEvent_ = static_cast<std::uint8_t>(xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY);
    }
  }
  // Asked now, so the answer is likely in by the time the shell wants it.
  askHost([this] {
    hostKnown_ = true;
    for (const auto& then : std::exchange(waitingForHost_, {})) then();
  });
  selectionPoll_.setInterval(kSelectionPollMs);
  connect(&selectionPoll_, &QTimer::timeout, this, [this] {
    const std::uint32_t before = lastOwner_;
    const std::uint32_t now = xembedOwner();
    if (now != 0 && now != before) emit xembedTrayAppeared();
  });
}

TrayWatch::~TrayWatch() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
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
    connect(services, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
      hostPresent_ = false;
      emit hostVanished();
    });
    bus.connect(QString(), kWatcherPath, kWatcherService,
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(onHostRegistered()));
    bus.connect(QString(), kWatcherPath, kWatcherService,
                QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(onHostUnregistered()));
  }
  if (onX11_ && trayAtom_ != 0) {
    // The X server says when the tray selection changes hands, so an idle program sleeps; only
    // a server without XFixes is asked over and over. Heard of first and then asked, so no
    // change in between goes unnoticed.
    xcb_connection_t* c = x11Connection();
    if (ownerEvent_ != 0 && root_ != 0 && c) {
      QCoreApplication::instance()->installNativeEventFilter(this);
      xcb_xfixes_select_selection_input(
          c, root_, trayAtom_,
          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    } else {
      selectionPoll_.start();
    }
    xembedOwner();
  }
}

bool TrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != ownerEvent_) return false;
  const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(message);
  if (notify->selection != trayAtom_) return false;
  // Answered once the event is handled: the shell builds its icon there, not inside Qt's
  // dispatching of an X event.
  const std::uint32_t owner = notify->owner;
  QMetaObject::invokeMethod(
      this, [this, owner] { ownerSeen(owner); }, Qt::QueuedConnection);
  // Qt's clipboard may watch other selections through the same event type.
  return false;
}

void TrayWatch::ownerSeen(std::uint32_t owner) {
  const std::uint32_t before = lastOwner_;
  lastOwner_ = owner;
  if (owner != 0 && owner != before) emit xembedTrayAppeared();
}

void TrayWatch::whenHostKnown(std::function<void()> then) {
  if (hostKnown_) {
    then();
  } else {
    waitingForHost_.push_back(std::move(then));
  }
}

void TrayWatch::onHostRegistered() {
  askHost([this] {
    if (hostPresent_) emit hostAppeared();
  });
}

void TrayWatch::onHostUnregistered() {
  askHost();
}

void TrayWatch::askHost(std::function<void()> answered) {
  if (!onBus_) {
    hostPresent_ = false;
    if (answered) answered();
    return;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  // One round trip: without a watcher the bus answers the call itself, with an error.
  auto call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                             QStringLiteral("org.freedesktop.DBus.Properties"),
                                             QStringLiteral("Get"));
  call << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  // Asking must not start a watcher the bus knows how to launch.
  call.setAutoStartService(false);
  auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call, kBusCallTimeoutMs), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this,
          [this, pending, answered = std::move(answered)] {
            pending->deleteLater();
            const QDBusMessage reply = pending->reply();
            hostPresent_ = reply.type() == QDBusMessage::ReplyMessage &&
                           !reply.arguments().isEmpty() &&
                           reply.arguments().first().value<QDBusVariant>().variant().toBool();
            if (answered) answered();
          });
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
