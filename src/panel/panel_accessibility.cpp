#include "panel/panel_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
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

QAccessibleInterface* panelInterface(const QString&, QObject* object) {
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
