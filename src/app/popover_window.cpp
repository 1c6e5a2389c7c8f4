#include "app/popover_window.h"

#include <QVBoxLayout>

#include "converter/currency_converter_view.h"
#include "panel/converter_panel.h"

namespace ovantic {

PopoverKind popoverKindFor(QStringView platformName) {
  return platformName.startsWith(u"wayland", Qt::CaseInsensitive) ? PopoverKind::toplevel
                                                                  : PopoverKind::popup;
}

namespace {

Qt::WindowFlags flagsFor(PopoverKind kind) {
  if (kind == PopoverKind::popup) return Qt::Popup | Qt::FramelessWindowHint;
  return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}

}  // namespace

PopoverWindow::PopoverWindow(std::shared_ptr<CurrencyConverterView> model, PopoverKind kind)
    : QWidget(nullptr, flagsFor(kind)), kind_(kind), panel_(new ConverterPanel(std::move(model))) {
  setObjectName(QStringLiteral("popover"));
  // The click that closes the panel must not go on to the tray icon underneath, where it would
  // open a new panel straight away.
  setAttribute(Qt::WA_NoMouseReplay);
  setFixedSize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(panel_);
  // A popup takes the keyboard from the window system but hands it to no widget by itself, so the
  // panel's first field would not get what the user types.
  panel_->setFocus(Qt::PopupFocusReason);
}

PopoverWindow::~PopoverWindow() = default;

}  // namespace ovantic
