#include "app/popover_window.h"

#include <QGuiApplication>
#include <QVBoxLayout>
#include <algorithm>

#include "converter/currency_converter_view.h"
#include "panel/converter_panel.h"
#include "panel/visual_effect_view.h"

namespace ovantic {

PopoverKind popoverKindFor(QStringView platformName) {
  return platformName.startsWith(u"wayland", Qt::CaseInsensitive) ? PopoverKind::toplevel
                                                                  : PopoverKind::popup;
}

bool alwaysComposited(QStringView platformName) {
  return platformName.startsWith(u"wayland", Qt::CaseInsensitive) ||
         platformName.compare(u"cocoa", Qt::CaseInsensitive) == 0 ||
         platformName.compare(u"windows", Qt::CaseInsensitive) == 0;
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
  panel_->setFixedWidth(kWidth);
  panel_->setMinimumHeight(kHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (alwaysComposited(QGuiApplication::platformName())) {
    setAttribute(Qt::WA_TranslucentBackground);
    // Room outside the 320-wide panel for the shadow its backdrop casts.
    layout->setContentsMargins(VisualEffectView::shadowMargins());
  }
  layout->setSpacing(0);
  // The window follows the panel's preferred size, which the minimum above keeps at 380 or more.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(panel_);
  // A popup takes the keyboard from the window system but hands it to no widget by itself, so the
  // panel's first field would not get what the user types.
  panel_->setFocus(Qt::PopupFocusReason);
}

PopoverWindow::~PopoverWindow() = default;

void PopoverWindow::setPlacement(std::function<QPoint(QSize)> placement, int maxHeight) {
  placement_ = std::move(placement);
  panel_->setMaximumHeight(std::max(kHeight, maxHeight));
  layout()->activate();
  move(placement_(size()));
}

void PopoverWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (placement_) move(placement_(size()));
}

}  // namespace ovantic
