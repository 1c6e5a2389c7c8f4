#include "desktop/sni/dbus_menu.h"

#include <QAction>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QMenu>
#include <QTimer>

namespace ovantic {

QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuLayoutItem& item) {
  out.beginStructure();
  out << item.id << item.properties;
  out.beginArray(qMetaTypeId<QDBusVariant>());
  for (const DBusMenuLayoutItem& child : item.children) {
    out << QDBusVariant(QVariant::fromValue(child));
  }
  out.endArray();
  out.endStructure();
  return out;
}

// Hosts only ever receive menus; reading one back is for the type system's sake.
const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuLayoutItem& item) {
  in.beginStructure();
  in >> item.id >> item.properties;
  in.beginArray();
  while (!in.atEnd()) {
    QDBusVariant child;
    in >> child;
    item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
  }
  in.endArray();
  in.endStructure();
  return in;
}

QDBusArgument& operator<<(QDBusArgument& out, const DBusMenuItemProperties& item) {
  out.beginStructure();
  out << item.id << item.properties;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, DBusMenuItemProperties& item) {
  in.beginStructure();
  in >> item.id >> item.properties;
  in.endStructure();
  return in;
}

class DBusMenuAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  explicit DBusMenuAdaptor(DBusMenu* menu) : QDBusAbstractAdaptor(menu), menu_(menu) {
    connect(menu, &DBusMenu::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
  }

  uint version() const { return 3; }
  QString textDirection() const { return QStringLiteral("ltr"); }
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public slots:
  // The menu is one level deep, so every request gets all of it. The types are spelled in full:
  // the bus looks them up by the names the slots give.
  uint GetLayout(int, int, const QStringList&, ovantic::DBusMenuLayoutItem& layout) {
    layout = menu_->layout();
    return menu_->revision();
  }
  QList<ovantic::DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                            const QStringList&) {
    return menu_->properties(ids);
  }
  QDBusVariant GetProperty(int id, const QString& name) {
    const auto found = menu_->properties({id});
    return QDBusVariant(found.isEmpty() ? QVariant() : found.first().properties.value(name));
  }
  void Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    menu_->event(id, eventId);
  }
  QList<int> EventGroup(const QDBusArgument& events) {
    QList<int> unknown;
    events.beginArray();
    while (!events.atEnd()) {
      int id = 0;
      QString eventId;
      QDBusVariant data;
      uint timestamp = 0;
      events.beginStructure();
      events >> id >> eventId >> data >> timestamp;
      events.endStructure();
      if (!menu_->event(id, eventId)) unknown << id;
    }
    events.endArray();
    return unknown;
  }
  bool AboutToShow(int id) {
    if (id == 0) menu_->aboutToShow();
    return false;
  }
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& unknown) {
    if (ids.contains(0)) menu_->aboutToShow();
    unknown.clear();
    return {};
  }

 signals:
  void LayoutUpdated(uint revision, int parent);
  void ItemActivationRequested(int id, uint timestamp);

 private:
  DBusMenu* menu_;
};

DBusMenu::DBusMenu(QDBusConnection bus, QList<QAction*> leading, QMenu* menu, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), leading_(std::move(leading)), menu_(menu) {
  qDBusRegisterMetaType<DBusMenuLayoutItem>();
  qDBusRegisterMetaType<DBusMenuItemProperties>();
  qDBusRegisterMetaType<QList<DBusMenuItemProperties>>();
  if (!bus_.isConnected()) return;
  new DBusMenuAdaptor(this);
  exported_ =
      bus_.registerObject(QString::fromLatin1(kObjectPath), this, QDBusConnection::ExportAdaptors);
  // A check item that changed (Start at login) shows its new state the next time the menu opens.
  for (QAction* action : actions()) {
    connect(action, &QAction::changed, this, [this] {
      ++revision_;
      emit layoutUpdated(revision_, 0);
    });
  }
}

DBusMenu::~DBusMenu() {
  if (exported_) bus_.unregisterObject(QString::fromLatin1(kObjectPath));
}

QList<QAction*> DBusMenu::actions() const {
  QList<QAction*> all = leading_;
  if (menu_) all += menu_->actions();
  return all;
}

QVariantMap DBusMenu::propertiesOf(const QAction* action) {
  QVariantMap properties;
  if (action->isSeparator()) {
    properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
  } else {
    properties.insert(QStringLiteral("label"), action->text());
  }
  properties.insert(QStringLiteral("enabled"), action->isEnabled());
  properties.insert(QStringLiteral("visible"), action->isVisible());
  if (action->isCheckable()) {
    properties.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
    properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
  }
  return properties;
}

// Entries are numbered from 1 in the order shown; 0 is the menu itself.
DBusMenuLayoutItem DBusMenu::layout() {
  DBusMenuLayoutItem root;
  root.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
  const QList<QAction*> all = actions();
  for (int i = 0; i < all.size(); ++i) root.children.append({i + 1, propertiesOf(all[i]), {}});
  return root;
}

QList<DBusMenuItemProperties> DBusMenu::properties(const QList<int>& ids) {
  const QList<QAction*> all = actions();
  QList<DBusMenuItemProperties> found;
  for (int id : ids) {
    if (id >= 1 && id <= all.size()) found.append({id, propertiesOf(all[id - 1])});
  }
  return found;
}

bool DBusMenu::event(int id, const QString& eventId) {
  const QList<QAction*> all = actions();
  if (id < 1 || id > all.size()) return false;
  if (eventId != QLatin1String("clicked")) return true;
  // After the host has had its answer: the action may open windows or end the program.
  QPointer<QAction> action = all[id - 1];
  QTimer::singleShot(0, this, [action] {
    if (action && action->isEnabled()) action->trigger();
  });
  return true;
}

void DBusMenu::aboutToShow() {
  if (menu_) emit menu_->aboutToShow();
}

}  // namespace ovantic

#include "dbus_menu.moc"
