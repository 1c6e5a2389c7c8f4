#include "desktop/sni/status_notifier_item.h"

#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

#include "desktop/sni/dbus_menu.h"
#include "desktop/tray_icon.h"

namespace ovantic {

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kGnomeShell = QStringLiteral("org.gnome.Shell");
constexpr int kIconReminderMs = 2000;

struct SniToolTip {
  QString iconName;
  SniPixmapList pixmaps;
  QString title;
  QString text;
};

}  // namespace

QDBusArgument& operator<<(QDBusArgument& out, const SniPixmap& pixmap) {
  out.beginStructure();
  out << pixmap.width << pixmap.height << pixmap.bytes;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniPixmap& pixmap) {
  in.beginStructure();
  in >> pixmap.width >> pixmap.height >> pixmap.bytes;
  in.endStructure();
  return in;
}

namespace {

QDBusArgument& operator<<(QDBusArgument& out, const SniToolTip& tip) {
  out.beginStructure();
  out << tip.iconName << tip.pixmaps << tip.title << tip.text;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniToolTip& tip) {
  in.beginStructure();
  in >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
  in.endStructure();
  return in;
}

}  // namespace

}  // namespace ovantic

Q_DECLARE_METATYPE(ovantic::SniToolTip)

namespace ovantic {

// The item's face on the bus: the properties and calls of the KDE status notifier item.
class StatusNotifierItemAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconName READ iconName)
  Q_PROPERTY(ovantic::SniPixmapList IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ empty)
  Q_PROPERTY(ovantic::SniPixmapList OverlayIconPixmap READ noPixmaps)
  Q_PROPERTY(QString AttentionIconName READ empty)
  Q_PROPERTY(ovantic::SniPixmapList AttentionIconPixmap READ noPixmaps)
  Q_PROPERTY(QString IconThemePath READ empty)
  // What screen readers say of the icon; GNOME's extension asks for both whenever the icon
  // changes.
  Q_PROPERTY(QString IconAccessibleDesc READ title)
  Q_PROPERTY(QString AttentionAccessibleDesc READ empty)
  Q_PROPERTY(ovantic::SniToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)

 public:
  explicit StatusNotifierItemAdaptor(StatusNotifierItem* item)
      : QDBusAbstractAdaptor(item), item_(item) {}

  QString category() const { return QStringLiteral("ApplicationStatus"); }
  QString id() const { return QStringLiteral("ovantic"); }
  QString title() const { return QStringLiteral("Ovantic"); }
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  QString iconName() const { return item_->iconName(); }
  SniPixmapList iconPixmap() const { return item_->pixmaps(); }
  QString empty() const { return {}; }
  SniPixmapList noPixmaps() const { return {}; }
  SniToolTip toolTip() const { return {{}, {}, item_->toolTip(), {}}; }
  // A click opens the panel; the menu, where there is one, is for the right button.
  bool itemIsMenu() const { return false; }
  QDBusObjectPath menu() const {
    return QDBusObjectPath(item_->hasMenu() ? QString::fromLatin1(DBusMenu::kObjectPath)
                                            : QStringLiteral("/NO_DBUSMENU"));
  }

 public slots:
  void Activate(int x, int y, const QDBusMessage& message) { item_->onActivate(x, y, message); }
  void SecondaryActivate(int, int) {}
  void ProvideXdgActivationToken(const QString& token) { item_->onActivationToken(token); }
  void ContextMenu(int x, int y) { item_->onContextMenu(x, y); }
  void Scroll(int, const QString&) {}

 signals:
  void NewTitle();
  void NewIcon();
  void NewAttentionIcon();
  void NewOverlayIcon();
  void NewToolTip();
  void NewStatus(const QString& status);

 private:
  StatusNotifierItem* item_;
};

SniPixmapList sniPixmaps(const QIcon& icon) {
  SniPixmapList list;
  for (int side : {16, 22, 24, 32, 48, 64}) {
    const QImage image =
        icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) continue;
    SniPixmap pixmap{image.width(), image.height(), {}};
    pixmap.bytes.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
    for (int y = 0; y < image.height(); ++y) {
      const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) *out++ = qToBigEndian(row[x]);
    }
    list.append(pixmap);
  }
  return list;
}

QString sniIconName(const QString& currentDesktop, bool installed) {
  if (!installed) return {};
  for (const QString& desktop : currentDesktop.split(QLatin1Char(':'))) {
    if (desktop.compare(QLatin1String("LXQt"), Qt::CaseInsensitive) == 0) return {};
  }
  return QString::fromLatin1(kTrayIconName);
}

bool symbolicIconInstalled() {
  const QString file =
      QStringLiteral("icons/hicolor/symbolic/apps/%1.svg").arg(QString::fromLatin1(kTrayIconName));
  return !QStandardPaths::locate(QStandardPaths::GenericDataLocation, file).isEmpty();
}

StatusNotifierItem::StatusNotifierItem(const QIcon& icon, const QString& iconName,
                                       const QString& toolTip, QObject* parent)
    : TrayItem(parent),
      bus_(QDBusConnection::sessionBus()),
      icon_(icon),
      iconName_(iconName),
      toolTip_(toolTip) {
  qDBusRegisterMetaType<SniPixmap>();
  qDBusRegisterMetaType<SniPixmapList>();
  qDBusRegisterMetaType<SniToolTip>();
  if (!bus_.isConnected()) return;
  adaptor_ = new StatusNotifierItemAdaptor(this);
  exported_ =
      bus_.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors);
  if (!exported_) return;
  // The host is told first; what it asks for next is answered from the event loop.
  registerWithWatcher();
  // A watcher that comes, or comes back, knows nothing of us: one registration for each.
  watcher_ = new QDBusServiceWatcher(kWatcherService, bus_,
                                     QDBusServiceWatcher::WatchForRegistration, this);
  connect(watcher_, &QDBusServiceWatcher::serviceRegistered, this,
          &StatusNotifierItem::registerWithWatcher);
}

StatusNotifierItem::~StatusNotifierItem() {
  // The item goes only at exit or once its watcher has gone (an XEmbed tray then takes the
  // icon): there is no one to tell, only the path to free for an item made later.
  // GNOME's AppIndicator extension keeps an item for as long as its connection lives, which is
  // ours for the whole run: told that the item is passive, it hides it (the shell extension's
  // button takes its place).
  if (adaptor_) emit adaptor_->NewStatus(QStringLiteral("Passive"));
  if (exported_) bus_.unregisterObject(QString::fromLatin1(kObjectPath));
}

void StatusNotifierItem::registerWithWatcher() {
  auto call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                             QStringLiteral("RegisterStatusNotifierItem"));
  call << bus_.baseService();
  // No answer is awaited: a watcher that refuses leaves nothing for us to do differently.
  bus_.send(call);
  // GNOME's AppIndicator extension, given an item while the shell is still starting, shows its
  // loading placeholder for good: it loads the icon again only when told the icon changed.
  QTimer::singleShot(kIconReminderMs, this, [this] {
    if (!adaptor_) return;
    emit adaptor_->NewIcon();
    // An item made again after an earlier one of this run went passive shows again.
    emit adaptor_->NewStatus(adaptor_->status());
  });
}

void StatusNotifierItem::onActivate(int x, int y, const QDBusMessage& message) {
  // Hosts that cannot tell where the click was send the origin.
  activatedAt_ = (x || y) ? std::optional<QPoint>(QPoint(x, y)) : std::nullopt;
  emit activated(QSystemTrayIcon::Trigger);
  // GNOME's AppIndicator extension passes a single click on only until an activation has
  // succeeded; after that it waits for a double click. An answer that is an error, other than
  // "unknown method", leaves it undecided, so every single click keeps reaching us. Other hosts
  // get the plain answer.
  const QString shell = bus_.interface()->serviceOwner(kGnomeShell).value();
  if (!shell.isEmpty() && message.service() == shell) {
    message.setDelayedReply(true);
    bus_.send(message.createErrorReply(
        QStringLiteral("io.github.ovantic.Error.SingleClick"),
        QStringLiteral("Activated; answered as an error so that single clicks keep coming")));
  }
}

void StatusNotifierItem::exportMenu(const QList<QAction*>& leading, QMenu* menu) {
  if (!exported_ || menu_) return;
  menu_ = new DBusMenu(bus_, leading, menu, this);
  if (!menu_->isExported()) {
    delete menu_;
    menu_ = nullptr;
  }
}

const SniPixmapList& StatusNotifierItem::pixmaps() const {
  // Drawn when a host first asks, after the item is registered rather than on the way to it.
  if (pixmaps_.isEmpty()) pixmaps_ = sniPixmaps(icon_);
  return pixmaps_;
}

void StatusNotifierItem::onContextMenu(int x, int y) {
  emit contextMenuRequested(QPoint(x, y));
}

}  // namespace ovantic

#include "status_notifier_item.moc"
