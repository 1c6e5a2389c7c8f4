#pragma once

#include <QStringView>
#include <QWidget>
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

// The window that holds one converter panel while it is open; 320 by 380 logical pixels.
class PopoverWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 380;

  PopoverWindow(std::shared_ptr<CurrencyConverterView> model, PopoverKind kind);
  ~PopoverWindow() override;

  PopoverKind kind() const { return kind_; }
  ConverterPanel* panel() const { return panel_; }

 private:
  PopoverKind kind_;
  ConverterPanel* panel_;
};

}  // namespace ovantic
