#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "desktop/desktop_platform.h"

class QScrollArea;

namespace ovantic {

class ConverterPanel;
class CurrencyConverterView;

// How the panel's window is made and drawn on the desktop at hand.
struct PopoverSurface {
  PopoverKind kind = PopoverKind::popup;
  // A rounded, slightly see-through backdrop with a shadow around it; needs a compositor.
  bool translucent = false;
  // The window's mask shapes only where it takes clicks, so the shadow lets clicks through to
  // what lies below it, as for any click beside the panel.
  bool maskIsInputRegion = false;
};

// The window that holds one converter panel while it is open: the panel is 320 logical pixels wide
// (the window adds the shadow's room around it where it is translucent), and as high as the panel
// at its fullest (a wrapped result and four all-units lines), at least 380. It keeps
// that size and place for its whole opening, so nothing moves under the caret when the all-units
// list appears; the panel's bottom spacer takes what is left. Where the screen is shorter than
// that, the window takes `maxHeight` and its content scrolls instead of being squashed.
class PopoverWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 380;

  PopoverWindow(std::shared_ptr<CurrencyConverterView> model, PopoverSurface surface);
  ~PopoverWindow() override;

  PopoverKind kind() const { return surface_.kind; }
  ConverterPanel* panel() const { return panel_; }

  // Sizes the window for at most `maxHeight` and puts it where `placement` says, once.
  void setPlacement(const std::function<QPoint(QSize)>& placement, int maxHeight);

  // Hides the window and deletes it, at the pace the windowing system can follow.
  void dismiss();

  // The panel's height at its fullest with the fonts in use, whatever the pair and rates of `like`.
  static int fullestHeight(const CurrencyConverterView& like);

 private:
  PopoverSurface surface_;
  ConverterPanel* panel_;
  QScrollArea* scroll_;
};

}  // namespace ovantic
