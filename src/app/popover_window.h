#pragma once

#include <QStringView>
#include <QWidget>
#include <functional>
#include <memory>

class QScrollArea;

namespace ovantic {

class ConverterPanel;
class CurrencyConverterView;

// How the panel's window is made on a given windowing system.
enum class PopoverKind {
  // A Qt::Popup: grabs pointer and keyboard, hides itself on any click outside it and on Escape.
  popup,
  // A frameless toplevel that takes focus and closes when it loses it. Wayland gives a popup no
  // place without a parent window, and a tray application has none.
  toplevel,
  // X11: a frameless tool window above the others that the window manager leaves alone (so it
  // lands exactly where it is put) and that takes the keyboard itself. It grabs nothing, so the
  // click that closes it goes on to whatever it was aimed at; the shell watches for that click.
  unmanaged,
};

PopoverKind popoverKindFor(QStringView platformName);

// Whether windows on this platform are always composited, so the panel may draw its translucent
// backdrop. X11 may or may not run a compositor, and asking would take X11 calls of our own: there
// the panel keeps the window colour.
bool alwaysComposited(QStringView platformName);

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

  PopoverWindow(std::shared_ptr<CurrencyConverterView> model, PopoverKind kind);
  ~PopoverWindow() override;

  PopoverKind kind() const { return kind_; }
  ConverterPanel* panel() const { return panel_; }

  // Sizes the window for at most `maxHeight` and puts it where `placement` says, once.
  void setPlacement(const std::function<QPoint(QSize)>& placement, int maxHeight);

  // Hides the window and deletes it, at the pace the windowing system can follow.
  void dismiss();

  // The panel's height at its fullest with the fonts in use, whatever the pair and rates of `like`.
  static int fullestHeight(const CurrencyConverterView& like);

 private:
  PopoverKind kind_;
  ConverterPanel* panel_;
  QScrollArea* scroll_;
};

}  // namespace ovantic
