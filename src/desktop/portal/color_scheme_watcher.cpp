#include "desktop/portal/color_scheme_watcher.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStyle>

namespace ovantic {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

// Read() answers a variant holding the value's variant (older portals wrap it once more); the
// change signal carries the value's variant.
QVariant unwrap(QVariant value) {
  for (int depth = 0; depth < 3 && value.metaType() == QMetaType::fromType<QDBusVariant>();
       ++depth) {
    value = value.value<QDBusVariant>().variant();
  }
  return value;
}

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightness() <
         palette.color(QPalette::WindowText).lightness();
}

}  // namespace

ColorSchemeWatcher::ColorSchemeWatcher(QPalette darkPalette, QDBusConnection bus, QObject* parent)
    : QObject(parent),
      bus_(std::move(bus)),
      qtPalette_(QApplication::palette()),
      darkPalette_(std::move(darkPalette)) {
  if (!bus_.isConnected()) {
    QMetaObject::invokeMethod(this, &ColorSchemeWatcher::initialReadDone, Qt::QueuedConnection);
    return;
  }
  // QtDBus matches the slot's parameters to the signal by type name, and QDBusVariant is known
  // by name only once registered: in a process that has not yet handled one (the shipped
  // program, unlike a test) the connection silently failed and no change ever arrived.
  qRegisterMetaType<QDBusVariant>();
  // Listen first, so that a change made while the first read is under way is not missed.
  if (!bus_.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"),
                    this, SLOT(onSettingChanged(QString, QString, QDBusVariant)))) {
    qWarning("ovantic: cannot follow changes of the desktop's light or dark setting");
  }
  QDBusMessage read =
      QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, "Read");
  read << appearance << colorSchemeKey;
  // Asynchronous: a portal that is slow to start must not hold up the tray icon.
  auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(read), this);
  connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
    done->deleteLater();
    const QDBusMessage reply = done->reply();
    // A later change signal already told the newer value.
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() && !scheme_) {
      take(reply.arguments().constFirst());
    }
    emit initialReadDone();
  });
}

ColorSchemeWatcher::~ColorSchemeWatcher() {
  if (overriding_) QApplication::setPalette(qtPalette_);
}

void ColorSchemeWatcher::onSettingChanged(const QString& group, const QString& key,
                                          const QDBusVariant& value) {
  if (group != appearance || key != colorSchemeKey) return;
  take(value.variant());
}

void ColorSchemeWatcher::take(const QVariant& value) {
  const QVariant inner = unwrap(value);
  // The setting is an unsigned integer; anything else is not an answer.
  if (inner.metaType() != QMetaType::fromType<uint>()) return;
  const uint number = inner.toUInt();
  scheme_ = number == preferDark || number == preferLight ? Scheme(number) : noPreference;
  apply();
}

void ColorSchemeWatcher::apply() {
  const bool qtIsDark = isDark(qtPalette_);
  QPalette wanted = qtPalette_;
  if (scheme_ == preferDark && !qtIsDark) wanted = darkPalette_;
  if (scheme_ == preferLight && qtIsDark) wanted = QApplication::style()->standardPalette();
  const bool override = wanted != qtPalette_;
  // Leave Qt's palette alone (and Qt free to follow its theme) until the desktop asks otherwise.
  if (!override && !overriding_) return;
  overriding_ = override;
  QApplication::setPalette(wanted);
}

}  // namespace ovantic
