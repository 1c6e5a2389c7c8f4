#pragma once

#include <QStringView>
#include <QWidget>
#include <functional>
#include <memory>

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
};

PopoverKind popoverKindFor(QStringView platformName);

// Whether windows on this platform are always composited, so the panel may draw its translucent
// backdrop. X11 may or may not run a compositor, and asking would take X11 calls of our own: there
// the panel keeps the window colour.
bool alwaysComposited(QStringView platformName);

// The window that holds one converter panel while it is open: 320 logical pixels wide and at least
// 380 high. It grows with its content (the all-units list appears once there is a result) rather
// than squeezing it, up to `maxHeight`, and takes its place from `placement` whenever its size
// changes, so a panel above a bottom tray stays on top of the icon as it grows.
class PopoverWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 380;

  PopoverWindow(std::shared_ptr<CurrencyConverterView> model, PopoverKind kind);
  ~PopoverWindow() override;

  PopoverKind kind() const { return kind_; }
  ConverterPanel* panel() const { return panel_; }

  void setPlacement(std::function<QPoint(QSize)> placement, int maxHeight);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  PopoverKind kind_;
  ConverterPanel* panel_;
  std::function<QPoint(QSize)> placement_;
};

}  // namespace ovantic
