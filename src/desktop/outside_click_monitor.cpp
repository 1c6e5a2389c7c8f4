#include "desktop/outside_click_monitor.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <utility>

namespace ovantic {

OutsideClickMonitor::OutsideClickMonitor(QWidget* panelWindow, std::function<QRect()> iconGeometry,
                                         Handler handler)
    : panelWindow_(panelWindow),
      iconGeometry_(std::move(iconGeometry)),
      handler_(std::move(handler)) {
  qApp->installEventFilter(this);
}

OutsideClickMonitor::~OutsideClickMonitor() {
  stop();
}

void OutsideClickMonitor::stop() {
  if (qApp) qApp->removeEventFilter(this);
  if (auto stopWatching = std::exchange(stopWatching_, nullptr)) stopWatching();
}

bool OutsideClickMonitor::belongsToPanel(const QWidget* widget) const {
  // Walks across window boundaries on purpose: a currency menu is a window of its own whose
  // parent chain leads back into the panel.
  for (const QWidget* w = widget; w; w = w->parentWidget()) {
    if (w == panelWindow_) return true;
  }
  // Any other popup (a menu or a combo box list) closes itself on outside clicks; a click inside
  // it is a click in something the panel opened.
  return widget->window()->windowType() == Qt::Popup;
}

void OutsideClickMonitor::pressedAt(QPoint globalPos) {
  if (!panelWindow_ || panelWindow_->frameGeometry().contains(globalPos)) return;
  for (const QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->windowType() == Qt::Popup &&
        window->frameGeometry().contains(globalPos))
      return;
  }
  if (iconGeometry_ && iconGeometry_().contains(globalPos)) return;
  handler_(Reason::clickOutside);
}

void OutsideClickMonitor::otherWindowActivated() {
  if (panelWindow_) handler_(Reason::panelLostFocus);
}

bool OutsideClickMonitor::closesOnFocusLoss() const {
  // A popup never holds the focus to begin with. A window the window manager leaves alone (X11)
  // would lose it whenever the pointer merely left it under focus-follows-mouse; clicks elsewhere
  // are seen screen-wide there anyway.
  return panelWindow_->windowType() != Qt::Popup &&
         !panelWindow_->windowFlags().testFlag(Qt::X11BypassWindowManagerHint);
}

bool OutsideClickMonitor::eventFilter(QObject* watched, QEvent* event) {
  if (!panelWindow_) return false;
  const auto type = event->type();
  if (watched == panelWindow_) {
    if (type == QEvent::Hide) {
      handler_(Reason::panelHidden);
    } else if (type == QEvent::WindowDeactivate && closesOnFocusLoss() &&
               !QApplication::activePopupWidget()) {
      handler_(Reason::panelLostFocus);
    }
    return false;
  }
  if (type != QEvent::MouseButtonPress || !event->spontaneous()) return false;
  const auto* press = static_cast<QMouseEvent*>(event);
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || press->button() != Qt::LeftButton || belongsToPanel(widget)) return false;
  if (iconGeometry_ && iconGeometry_().contains(press->globalPosition().toPoint())) return false;
  handler_(Reason::clickOutside);
  return false;
}

}  // namespace ovantic
