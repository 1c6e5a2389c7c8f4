#include "desktop/wayland/wayland_desktop.h"

#include <QWidget>

#ifdef OVANTIC_HAVE_WAYLAND
#include "desktop/wayland/wayland_keyboard_focus.h"
#endif

namespace ovantic {

std::unique_ptr<OutsideClickMonitor> WaylandDesktop::watchOutside(
    QWidget* panelWindow, std::function<QRect()> iconGeometry,
    OutsideClickMonitor::Handler handler) {
  auto monitor =
      DesktopPlatform::watchOutside(panelWindow, std::move(iconGeometry), std::move(handler));
#ifdef OVANTIC_HAVE_WAYLAND
  // Qt's own word on the focus can miss a leave that follows an enter at once; the compositor's
  // does not. Built without libwayland-client, Qt's word is all there is.
  if (panelWindow->windowType() != Qt::Popup) {
    if (auto focus = WaylandKeyboardFocus::watch(panelWindow->windowHandle())) {
      OutsideClickMonitor* watching = monitor.get();
      QObject::connect(focus.get(), &WaylandKeyboardFocus::focusLeft, watching,
                       [watching] { watching->otherWindowActivated(); });
      focus.release()->setParent(watching);
    }
  }
#endif
  return monitor;
}

}  // namespace ovantic
