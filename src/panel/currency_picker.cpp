#include "panel/currency_picker.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "converter/currency_converter_view.h"
#include "panel/currency_popup.h"
#include "panel/panel_style.h"
#include "rates/currency_details.h"

namespace ovantic {

namespace {

constexpr int kPadX = 8;
constexpr int kPadY = 6;
constexpr int kFlagCodeGap = 4;
constexpr int kIndicatorGap = 4;
constexpr int kIndicatorWidth = 7;
constexpr qreal kCornerRadius = 8;
constexpr int kFlagSize = 16;
constexpr int kCodeSize = 12;

QString flagOf(const QString& code) {
  return QString::fromStdString(CurrencyConverterView::currencyFlag(code.toStdString()));
}

}  // namespace

CurrencyPicker::CurrencyPicker(const QString& role, QWidget* parent)
    : QToolButton(parent), role_(role) {
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  connect(this, &QToolButton::clicked, this, &CurrencyPicker::showPopup);
}

void CurrencyPicker::showPopup() {
  if (!popup_) {
    popup_ = new CurrencyPopup(this);
    popup_->applyStyle(popupPalette_);
    connect(popup_, &CurrencyPopup::currencyChosen, this, &CurrencyPicker::currencySelected);
  }
  std::vector<std::string> codes = offer_ ? offer_() : CurrencyConverterView::currencies();
  // The list is nearly as wide as the panel: from the picker's left edge it stood out past the
  // panel's right edge, so it is centred over the panel instead.
  const QWidget* panel = window();
  const int left = panel->mapToGlobal(QPoint((panel->width() - popup_->width()) / 2, 0)).x();
  popup_->open(std::move(codes), code_, QPoint(left, mapToGlobal(QPoint(0, height() + 2)).y()),
               mapToGlobal(QPoint(0, -2)).y());
}

QString CurrencyPicker::flag() const {
  return flagOf(code_);
}

void CurrencyPicker::setCurrency(const QString& code) {
  if (code == code_) return;
  code_ = code;
  setText(code);
  // Said by name: a code alone is three letters read out one by one.
  const QString name = QString::fromStdString(currencyName(code.toStdString()));
  setAccessibleName(role_ + QStringLiteral(": ") +
                    (name.isEmpty() ? code : name + QStringLiteral(" (") + code + ')'));
  updateGeometry();
  update();
}

void CurrencyPicker::applyStyle(const QPalette& palette) {
  background_ = style::withAlpha(style::separator(palette), 0.2);
  textColor_ = style::primaryText(palette);
  indicatorColor_ = style::secondaryText(palette);
  popupPalette_ = palette;
  if (popup_) popup_->applyStyle(palette);
  updateGeometry();
  update();
}

QSize CurrencyPicker::sizeHint() const {
  const QFontMetrics flagMetrics(style::flagFont(kFlagSize));
  const QFontMetrics codeMetrics(style::systemFont(kCodeSize, QFont::Medium));
  const QString shownFlag = flag();
  const int flagWidth = shownFlag.isEmpty() ? 0 : flagMetrics.horizontalAdvance(shownFlag);
  const int width = kPadX + flagWidth + (flagWidth > 0 ? kFlagCodeGap : 0) +
                    codeMetrics.horizontalAdvance(code_) + kIndicatorGap + kIndicatorWidth + kPadX;
  const int height = kPadY + qMax(flagMetrics.height(), codeMetrics.height()) + kPadY;
  return {width, height};
}

void CurrencyPicker::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QPainterPath background;
  background.addRoundedRect(area, kCornerRadius, kCornerRadius);
  painter.fillPath(background, background_);

  const QFont flagFontValue = style::flagFont(kFlagSize);
  const QFont codeFont = style::systemFont(kCodeSize, QFont::Medium);
  const QRect content = rect().adjusted(kPadX, kPadY, -kPadX, -kPadY);
  int x = content.left();
  painter.setPen(textColor_);
  const QString shownFlag = flag();
  if (!shownFlag.isEmpty()) {
    painter.setFont(flagFontValue);
    const int flagWidth = QFontMetrics(flagFontValue).horizontalAdvance(shownFlag);
    painter.drawText(QRect(x, content.top(), flagWidth, content.height()), Qt::AlignVCenter,
                     shownFlag);
    x += flagWidth + kFlagCodeGap;
  }
  painter.setFont(codeFont);
  const int codeWidth = QFontMetrics(codeFont).horizontalAdvance(code_);
  painter.drawText(QRect(x, content.top(), codeWidth, content.height()), Qt::AlignVCenter, code_);
  x += codeWidth + kIndicatorGap;

  // The pull-down indicator: a small chevron pointing down.
  const qreal midY = content.center().y() + 0.5;
  const qreal half = kIndicatorWidth / 2.0;
  QPainterPath chevron;
  chevron.moveTo(x, midY - half / 2);
  chevron.lineTo(x + half, midY + half / 2);
  chevron.lineTo(x + 2 * half, midY - half / 2);
  painter.setPen(QPen(indicatorColor_, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(chevron);
}

}  // namespace ovantic
