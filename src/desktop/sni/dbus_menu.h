#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

class QAction;
class QMenu;

namespace ovantic {

// One entry of a menu as com.canonical.dbusmenu lays it out: (ia{sv}av).
struct DBusMenuLayoutItem {
  int id = 0;
  QVariantMap properties;
  QList<DBusMenuLayoutItem> children;
};

// One entry's properties: (ia{sv}).
struct DBusMenuItemProperties {
  int id = 0;
  QVariantMap properties;
};

// A menu offered to a status notifier host over com.canonical.dbusmenu: `leading` actions first,
// then `menu`'s own, separators and check items included. A host's click triggers the action; a
// host about to show the menu makes `menu` bring its check items up to date first.
class DBusMenu : public QObject {
  Q_OBJECT

 public:
  static constexpr char kObjectPath[] = "/MenuBar";

  DBusMenu(QDBusConnection bus, QList<QAction*> leading, QMenu* menu, QObject* parent = nullptr);
  ~DBusMenu() override;

  bool isExported() const { return exported_; }

  // What the bus adaptor hands on.
  DBusMenuLayoutItem layout();
  QList<DBusMenuItemProperties> properties(const QList<int>& ids);
  bool event(int id, const QString& eventId);
  void aboutToShow();
  unsigned revision() const { return revision_; }

 signals:
  void layoutUpdated(unsigned revision, int parent);

 private:
  QList<QAction*> actions() const;
  static QVariantMap propertiesOf(const QAction* action);

  QDBusConnection bus_;
  QList<QAction*> leading_;
  QPointer<QMenu> menu_;
  unsigned revision_ = 1;
  bool exported_ = false;
};

}  // namespace ovantic

Q_DECLARE_METATYPE(ovantic::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(ovantic::DBusMenuItemProperties)
