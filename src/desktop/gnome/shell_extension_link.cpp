#include "desktop/gnome/shell_extension_link.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QStandardPaths>

#include "desktop/xdg/desktop_notification.h"

namespace ovantic {

// The interface the extension calls.
class ShellExtensionAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "io.github.ovantic.Ovantic.Panel")

 public:
  explicit ShellExtensionAdaptor(ShellExtensionLink* link)
      : QDBusAbstractAdaptor(link), link_(link) {}

 public slots:
  void Toggle(int x, int y, int width, int height) { link_->onToggle({x, y, width, height}); }
  void Close() { link_->onClose(); }

 private:
  ShellExtensionLink* link_;
};

ShellExtensionLink::ShellExtensionLink(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  new ShellExtensionAdaptor(this);
  // Only one Ovantic runs per session; should another hold the name all the same, it is the one
  // the extension talks to, and this one keeps to its status notifier item.
  listening_ = bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                                   QDBusConnection::ExportAdaptors) &&
               bus_.registerService(QString::fromLatin1(kService));
  if (!listening_) return;
  watcher_ = new QDBusServiceWatcher(QString::fromLatin1(kExtensionService), bus_,
                                     QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            if (owner.isEmpty()) {
              emit extensionVanished();
            } else {
              emit extensionAppeared();
            }
          });
}

ShellExtensionLink::~ShellExtensionLink() {
  if (!listening_) return;
  bus_.unregisterService(QString::fromLatin1(kService));
  bus_.unregisterObject(QString::fromLatin1(kObjectPath));
}

bool ShellExtensionLink::extensionPresent() const {
  return listening_ &&
         bus_.interface()->isServiceRegistered(QString::fromLatin1(kExtensionService)).value();
}

void ShellExtensionLink::onToggle(QRect button) {
  emit toggleRequested(button);
}

void ShellExtensionLink::onClose() {
  emit closeRequested();
}

ShellExtensionItem::ShellExtensionItem(ShellExtensionLink* link, const QIcon& icon,
                                       const QString& toolTip)
    : icon_(icon), toolTip_(toolTip) {
  connect(link, &ShellExtensionLink::toggleRequested, this, [this](QRect button) {
    geometry_ = button;
    emit activated(QSystemTrayIcon::Trigger);
  });
}

bool isGnomeShellDesktop(const QString& currentDesktop) {
  for (const QString& desktop : currentDesktop.split(QLatin1Char(':'))) {
    if (desktop.compare(QLatin1String("GNOME"), Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

int gnomeShellMajorVersion(QDBusConnection bus) {
  if (!bus.isConnected()) return 0;
  auto get = QDBusMessage::createMethodCall(
      QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << QStringLiteral("org.gnome.Shell") << QStringLiteral("ShellVersion");
  const QDBusMessage reply = bus.call(get, QDBus::Block, 2000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  const QString version = reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
  return version.section(QLatin1Char('.'), 0, 0).toInt();
}

bool shellExtensionInstalled() {
  const QString file = QStringLiteral("gnome-shell/extensions/%1/metadata.json")
                           .arg(QString::fromLatin1(ShellExtensionLink::kExtensionUuid));
  return !QStandardPaths::locate(QStandardPaths::GenericDataLocation, file).isEmpty();
}

void announceShellExtension() {
  showDesktopNotification(
      QStringLiteral("One click on Ovantic's icon can open its panel"),
      QStringLiteral(
          "Ovantic's GNOME Shell extension opens the panel under the icon with one click "
          "and closes it with a click anywhere else. To turn it on, run: "
          "gnome-extensions enable %1 (log out and in again first if GNOME does not "
          "find it yet).")
          .arg(QString::fromLatin1(ShellExtensionLink::kExtensionUuid)));
}

}  // namespace ovantic

#include "shell_extension_link.moc"
