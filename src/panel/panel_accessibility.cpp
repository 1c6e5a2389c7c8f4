#include "panel/panel_accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <QtGlobal>
#include <functional>

#include "panel/footer_view.h"
#include "panel/rounded_card.h"

namespace ovantic {

namespace {

// A widget that acts when pressed: its press action (AT-SPI's "click") does what a click does.
// The role is asked each time, since a card learns only after it is made that it takes clicks.
class PressableAccessible : public QAccessibleWidget {
 public:
  PressableAccessible(QWidget* widget, std::function<QAccessible::Role()> role,
                      std::function<void()> press)
      : QAccessibleWidget(widget), role_(std::move(role)), press_(std::move(press)) {}

  QAccessible::Role role() const override { return role_(); }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (role_() != QAccessible::Grouping) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& actionName) override {
    if (actionName == pressAction() && role_() != QAccessible::Grouping) {
      press_();
      return;
    }
    QAccessibleWidget::doAction(actionName);
  }

 private:
  std::function<QAccessible::Role()> role_;
  std::function<void()> press_;
};

// Qt leaves popup windows out of the application's children, so a screen reader walking the tree
// (rather than following focus events) finds no open menu: neither a currency picker's list nor
// the program's own menu. Open popups are listed after the other windows.
class ApplicationWithPopups : public QAccessibleApplication {
 public:
  int childCount() const override {
    return QAccessibleApplication::childCount() + static_cast<int>(popups().size());
  }

  QAccessibleInterface* child(int index) const override {
    const int windows = QAccessibleApplication::childCount();
    if (index < windows) return QAccessibleApplication::child(index);
    const QList<QWidget*> open = popups();
    const qsizetype popup = index - windows;
    return popup < open.size() ? QAccessible::queryAccessibleInterface(open.at(popup)) : nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    const int index = QAccessibleApplication::indexOfChild(child);
    if (index >= 0 || !child) return index;
    const qsizetype popup = popups().indexOf(qobject_cast<QWidget*>(child->object()));
    return popup < 0 ? -1 : QAccessibleApplication::childCount() + static_cast<int>(popup);
  }

 private:
  static QList<QWidget*> popups() {
    QList<QWidget*> open;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && window->windowType() == Qt::Popup) open.append(window);
    }
    return open;
  }
};

// The program's menus. Qt 6.4 gives an entry with a check mark, such as "Start at login", a plain
// menu item's role and no "checkable" state, so Orca never says whether it is on; as a check box it
// says "checked" or "not checked". Qt's own menu finds among its children only what is a menu item
// or separator, so the menu is ours too.
class MenuEntry : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  MenuEntry(QMenu* menu, QAction* action) : menu_(menu), action_(action) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                : nullptr;
  }
  bool isValid() const override { return !menu_.isNull() && !action_.isNull(); }
  QObject* object() const override { return action_; }
  QWindow* window() const override { return menu_ ? menu_->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(menu_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !action_) return {};
    return QString(action_->text()).remove(QLatin1Char('&'));
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return {};
    const QRect area = menu_->actionGeometry(action_);
    return {menu_->mapToGlobal(area.topLeft()), area.size()};
  }
  QAccessible::Role role() const override {
    if (action_ && action_->isSeparator()) return QAccessible::Separator;
    return action_ && action_->isCheckable() ? QAccessible::CheckBox : QAccessible::MenuItem;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) return state;
    state.invisible = !menu_->isVisible() || !action_->isVisible();
    state.focusable = !action_->isSeparator();
    state.focused = menu_->activeAction() == action_;
    state.checkable = action_->isCheckable();
    state.checked = action_->isChecked();
    state.disabled = !action_->isEnabled();
    return state;
  }

  QStringList actionNames() const override {
    if (!action_ || action_->isSeparator()) return {};
    return {action_->isCheckable() ? toggleAction() : pressAction()};
  }
  void doAction(const QString& name) override {
    if (action_ && actionNames().contains(name)) action_->trigger();
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QPointer<QMenu> menu_;
  QPointer<QAction> action_;
};

class MenuAccessible : public QAccessibleWidget {
 public:
  explicit MenuAccessible(QMenu* menu) : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

  int childCount() const override { return static_cast<int>(menu()->actions().size()); }
  QAccessibleInterface* child(int index) const override {
    const QList<QAction*> actions = menu()->actions();
    if (index < 0 || index >= actions.size()) return nullptr;
    QAction* action = actions.at(index);
    // Kept by Qt's cache against the action, so each entry keeps one identity for Orca.
    if (QAccessibleInterface* known = QAccessible::queryAccessibleInterface(action)) return known;
    auto* entry = new MenuEntry(menu(), action);
    QAccessible::registerAccessibleInterface(entry);
    return entry;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child ? static_cast<int>(
                       menu()->actions().indexOf(qobject_cast<QAction*>(child->object())))
                 : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    QAction* action = menu()->actionAt(menu()->mapFromGlobal(QPoint(x, y)));
    return action ? child(static_cast<int>(menu()->actions().indexOf(action))) : nullptr;
  }

 private:
  QMenu* menu() const { return static_cast<QMenu*>(widget()); }
};

QAccessibleInterface* panelInterface(const QString&, QObject* object) {
  if (auto* menu = qobject_cast<QMenu*>(object)) return new MenuAccessible(menu);
  if (object == qApp && qobject_cast<QApplication*>(object)) return new ApplicationWithPopups;
  if (auto* card = qobject_cast<RoundedCard*>(object)) {
    // A card that took clicks once keeps its tab stop, and so its button role, while it shows
    // "Copied!"; a card that never did (a row's background, the unit badge) is only a group.
    return new PressableAccessible(
        card,
        [card] {
          return card->focusPolicy() != Qt::NoFocus ? QAccessible::Button : QAccessible::Grouping;
        },
        [card] { card->click(); });
  }
  if (auto* announcer = qobject_cast<Announcer*>(object)) {
    return new QAccessibleWidget(announcer, QAccessible::Notification);
  }
  if (auto* link = qobject_cast<LinkLabel*>(object)) {
    return new PressableAccessible(
        link, [] { return QAccessible::Link; }, [link] { link->open(); });
  }
  return nullptr;
}

}  // namespace

void installPanelAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(panelInterface);
    return true;
  }();
  Q_UNUSED(installed);
}

void updateAccessibleName(QWidget* widget, const QString& name) {
  if (widget->accessibleName() != name) widget->setAccessibleName(name);
}

void updateAccessibleDescription(QWidget* widget, const QString& description) {
  if (widget->accessibleDescription() != description) widget->setAccessibleDescription(description);
}

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("announcer"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(0, 0, 1, 1);
  hide();
}

void Announcer::announce(const QString& text) {
  if (text.isEmpty()) return;
  // Orca speaks a notification as it comes into view, so each text needs a fresh showing.
  hide();
  setAccessibleName(text);
  show();
}

}  // namespace ovantic
