#pragma once

#include "desktop/desktop_platform.h"

namespace ovantic {

// Wayland: the compositor places the panel's toplevel and always composites it; the panel closes
// when the compositor moves the keyboard elsewhere.
class WaylandDesktop : public DesktopPlatform {
 public:
  WaylandDesktop() : DesktopPlatform(WindowingSystem::wayland) {}

  PopoverKind popoverKind() override { return PopoverKind::toplevel; }
  bool translucentBackdrop() const override { return true; }
  bool maskIsInputRegion() const override { return true; }
  // The status notifier item is the only tray there, and only the session bus tells of one.
  bool trayFoundWithoutBus() const override { return false; }
  std::unique_ptr<OutsideClickMonitor> watchOutside(QWidget* panelWindow,
                                                    std::function<QRect()> iconGeometry,
                                                    OutsideClickMonitor::Handler handler) override;
};

}  // namespace ovantic
