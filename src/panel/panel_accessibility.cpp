#include "panel/panel_accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
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

  QStringList keyBindingsForAction(const QString& actionName) const override {
    if (actionName == pressAction()) return {QStringLiteral("Return"), QStringLiteral("space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
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

QAccessibleInterface* panelInterface(const QString&, QObject* object) {
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

void announce(QWidget* focused, const QString& text) {
  if (!focused || text.isEmpty()) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  QAccessibleAnnouncementEvent event(focused, text);
  QAccessible::updateAccessibility(&event);
#else
  // The description changes only if the text does; saying the same result twice would be noise.
  if (focused->accessibleDescription() == text) return;
  focused->setAccessibleDescription(text);
#endif
}

}  // namespace ovantic
