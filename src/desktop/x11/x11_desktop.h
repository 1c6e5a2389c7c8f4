#pragma once

#include <memory>

#include "desktop/desktop_platform.h"

namespace ovantic {

class X11ClickObserver;

// X11: the panel is a window the window manager leaves alone, and clicks elsewhere are seen
// screen-wide by an XInput 2 observer, so the click that closes the panel still reaches its aim.
class X11Desktop : public DesktopPlatform {
 public:
  X11Desktop();
  ~X11Desktop() override;

  // Without XInput 2 nothing would see the click elsewhere; a popup's grab at least closes it.
  PopoverKind popoverKind() override;
  std::unique_ptr<OutsideClickMonitor> watchOutside(QWidget* panelWindow,
                                                    std::function<QRect()> iconGeometry,
                                                    OutsideClickMonitor::Handler handler) override;
  void focusPanel(QWidget* panelWindow) override;

 private:
  // Made at the first opening and kept: its connection outlives every panel.
  X11ClickObserver* clickObserver();

  std::unique_ptr<X11ClickObserver> clickObserver_;
};

}  // namespace ovantic
