#include "app/popover_window.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "converter/currency_converter_view.h"
#include "notation/amount_expression.h"
#include "panel/converter_panel.h"
#include "panel/visual_effect_view.h"

namespace ovantic {

namespace {

Qt::WindowFlags flagsFor(PopoverKind kind) {
  switch (kind) {
    case PopoverKind::popup:
      return Qt::Popup | Qt::FramelessWindowHint;
    case PopoverKind::unmanaged:
      return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
             Qt::X11BypassWindowManagerHint;
    case PopoverKind::toplevel:
      break;
  }
  return Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
}

}  // namespace

PopoverWindow::PopoverWindow(std::shared_ptr<CurrencyConverterView> model, PopoverSurface surface)
    : QWidget(nullptr, flagsFor(surface.kind)),
      surface_(surface),
      panel_(new ConverterPanel(model)),
      scroll_(new QScrollArea(this)) {
  setObjectName(QStringLiteral("popover"));
  // The click that closes a popup must not go on to the tray icon underneath, where it would
  // open a new panel straight away.
  setAttribute(Qt::WA_NoMouseReplay);
  // What window lists and screen readers call it.
  setWindowTitle(QStringLiteral("Ovantic"));
  setAccessibleName(QStringLiteral("Ovantic"));
  panel_->setFixedWidth(kWidth);
  // Worked out once per run, with the fonts in use.
  static const int fullest = fullestHeight(*model);
  panel_->setMinimumHeight(fullest);
  scroll_->setFrameShape(QFrame::NoFrame);
  // The scroll area would be a Tab stop of its own after the last control, unnamed and showing
  // nothing; the wheel and the scroll bar still scroll it.
  scroll_->setFocusPolicy(Qt::NoFocus);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll_->setWidgetResizable(true);
  scroll_->setWidget(panel_);
  scroll_->viewport()->setAutoFillBackground(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  if (surface_.translucent) {
    setAttribute(Qt::WA_TranslucentBackground);
    // Room outside the 320-wide panel for the shadow its backdrop casts.
    layout->setContentsMargins(VisualEffectView::shadowMargins());
    if (auto* backdrop = panel_->findChild<VisualEffectView*>()) {
      backdrop->setShadowPassesClicks(surface_.maskIsInputRegion);
    }
  }
  layout->setSpacing(0);
  layout->addWidget(scroll_);
  // A popup takes the keyboard from the window system but hands it to no widget by itself, so the
  // panel's first field would not get what the user types.
  panel_->setFocus(Qt::PopupFocusReason);
}

PopoverWindow::~PopoverWindow() = default;

void PopoverWindow::dismiss() {
  if (surface_.kind != PopoverKind::toplevel) {
    close();
    deleteLater();
    return;
  }
  // Qt 6.4's Wayland client takes frame callbacks on a thread of its own. Hiding a window while
  // one is under way, or deleting it soon after, races with that thread and aborts the program
  // (seen about once in two thousand quick open-and-close cycles). So the window stops drawing,
  // which asks for no more frames, hides once the compositor has answered the last one, and is
  // deleted well after that.
  constexpr int kFrameSettleMs = 50;
  constexpr int kDeleteGraceMs = 1000;
  setUpdatesEnabled(false);
  QTimer::singleShot(kFrameSettleMs, this, [this] {
    close();
    QTimer::singleShot(kDeleteGraceMs, this, &QObject::deleteLater);
  });
}

int PopoverWindow::fullestHeight(const CurrencyConverterView& like) {
  // A converter that is never shown asks for nothing; this one holds the longest content a panel
  // shows: a result that wraps and all four units of a rupee amount over a hundred crore.
  ConverterServices services = like.services();
  // The probe shows made-up rates for a pair of its own: the kept rates and the remembered pair
  // are no business of it, and the height must be the same whichever pair opens.
  services.rateStore = nullptr;
  services.preferences = nullptr;
  auto probeModel = CurrencyConverterView::create(std::move(services));
  probeModel->fromCurrency = "USD";
  probeModel->toCurrency = "INR";
  probeModel->exchangeRates = {{"USD", 1.0}, {"INR", 83.12}};
  // The largest amount still shown rather than Invalid, in rupees: the longest result and units.
  char largest[32];
  std::snprintf(largest, sizeof largest, "%.2f", 0.999 * kLargestAmount / 83.12);
  probeModel->amountText = largest;
  probeModel->convert();
  probeModel->rateText = "Failed to parse rates";
  probeModel->lastUpdatedText = "Rates of 28 September 2026, fetched 59 minutes ago";
  ConverterPanel probe(probeModel);
  probe.ensurePolished();
  const int wrapped = probe.hasHeightForWidth() ? probe.heightForWidth(kWidth) : 0;
  return std::max({kHeight, probe.sizeHint().height(), wrapped});
}

void PopoverWindow::setPlacement(const std::function<QPoint(QSize)>& placement, int maxHeight) {
  const int fullest = panel_->minimumHeight();
  const bool scrolls = maxHeight < fullest;
  const int width = kWidth + (scrolls ? scroll_->verticalScrollBar()->sizeHint().width() : 0);
  const QSize shown(width, scrolls ? std::max(1, maxHeight) : fullest);
  // The shadow's room lies around the panel, not inside it: taken from the panel it would cut
  // the panel's right edge off and give it a scroll bar.
  const QMargins shadow = layout()->contentsMargins();
  setFixedSize(shown.grownBy(shadow));
  move(placement(shown) - QPoint(shadow.left(), shadow.top()));
}

}  // namespace ovantic
