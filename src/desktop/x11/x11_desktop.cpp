#include "desktop/x11/x11_desktop.h"

#include <QCursor>
#include <QWidget>

#include "desktop/x11/x11_click_observer.h"

namespace ovantic {

X11Desktop::X11Desktop() : DesktopPlatform(WindowingSystem::x11) {}

X11Desktop::~X11Desktop() = default;

X11ClickObserver* X11Desktop::clickObserver() {
  if (!clickObserver_) clickObserver_ = std::make_unique<X11ClickObserver>();
  return clickObserver_.get();
}

PopoverKind X11Desktop::popoverKind() {
  return clickObserver()->isValid() ? PopoverKind::unmanaged : PopoverKind::popup;
}

std::unique_ptr<OutsideClickMonitor> X11Desktop::watchOutside(
    QWidget* panelWindow, std::function<QRect()> iconGeometry,
    OutsideClickMonitor::Handler handler) {
  auto monitor =
      DesktopPlatform::watchOutside(panelWindow, std::move(iconGeometry), std::move(handler));
  if (!panelWindow->windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) return monitor;
  OutsideClickMonitor* watching = monitor.get();
  const auto panelId = static_cast<std::uint32_t>(panelWindow->winId());
  X11ClickObserver* observer = clickObserver();
  observer->start(
      [watching](int button) {
        // The wheel (buttons 4 to 7) scrolls whatever is under it and leaves the panel be.
        if (button >= 1 && button <= 3) watching->pressedAt(QCursor::pos());
      },
      [watching, panelId](std::uint32_t active) {
        // None active says nothing of where the keyboard went; the panel's own window is never
        // made active by a window manager, but a launcher setting it directly would be harmless.
        if (active != 0 && active != panelId) watching->otherWindowActivated();
      });
  monitor->onStop([observer] { observer->stop(); });
  return monitor;
}

void X11Desktop::focusPanel(QWidget* panelWindow) {
  // A window the window manager leaves alone is never activated by it.
  if (panelWindow->windowFlags().testFlag(Qt::X11BypassWindowManagerHint) &&
      clickObserver()->isValid()) {
    clickObserver()->giveKeyboardTo(static_cast<std::uint32_t>(panelWindow->winId()));
    return;
  }
  DesktopPlatform::focusPanel(panelWindow);
}

}  // namespace ovantic
