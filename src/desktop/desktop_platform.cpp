#include "desktop/desktop_platform.h"

#include <QGuiApplication>
#include <QWidget>

#include "desktop/wayland/wayland_desktop.h"
#include "desktop/x11/x11_desktop.h"

namespace ovantic {

namespace {

// Anything else (offscreen, a foreign system): Qt's popup closes itself on a click elsewhere.
class OtherDesktop : public DesktopPlatform {
 public:
  OtherDesktop() : DesktopPlatform(WindowingSystem::other) {}
};

}  // namespace

WindowingSystem DesktopPlatform::windowingSystemOf(QStringView platformName) {
  if (platformName.startsWith(u"wayland", Qt::CaseInsensitive)) return WindowingSystem::wayland;
  if (platformName.compare(u"xcb", Qt::CaseInsensitive) == 0) return WindowingSystem::x11;
  return WindowingSystem::other;
}

std::unique_ptr<DesktopPlatform> DesktopPlatform::forThisSession() {
  switch (windowingSystemOf(QGuiApplication::platformName())) {
    case WindowingSystem::x11:
      return std::make_unique<X11Desktop>();
    case WindowingSystem::wayland:
      return std::make_unique<WaylandDesktop>();
    case WindowingSystem::other:
      break;
  }
  return std::make_unique<OtherDesktop>();
}

DesktopPlatform::~DesktopPlatform() = default;

std::unique_ptr<OutsideClickMonitor> DesktopPlatform::watchOutside(
    QWidget* panelWindow, std::function<QRect()> iconGeometry,
    OutsideClickMonitor::Handler handler) {
  return std::make_unique<OutsideClickMonitor>(panelWindow, std::move(iconGeometry),
                                               std::move(handler));
}

void DesktopPlatform::focusPanel(QWidget* panelWindow) {
  panelWindow->activateWindow();
}

}  // namespace ovantic
