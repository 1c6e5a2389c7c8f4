#include "panel/unit_conversion_view.h"

#include <QBoxLayout>

#include "panel/all_conversions_view.h"
#include "panel/currency_rows.h"
#include "panel/panel_style.h"
#include "panel/symbol_button.h"

namespace ovantic {

UnitConversionView::UnitConversionView(AllConversionsView* allConversions, const QString& amount,
                                       QWidget* parent)
    : QWidget(parent),
      fromUnitRow_(new AmountRow(amount, this)),
      swapButton_(new SymbolButton(SymbolButton::Symbol::arrowUpArrowDown, 16, true, this)),
      toUnitRow_(new ResultRow(this)),
      allConversions_(allConversions) {
  setObjectName(QStringLiteral("unitConversionView"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(12);

  swapButton_->setObjectName(QStringLiteral("swapButton"));
  swapButton_->setAccessibleName(tr("Swap currencies"));
  swapButton_->setToolTip(tr("Swap currencies"));
  swapButton_->setPadding(4, 8);

  allConversions_->setParent(this);
  allConversions_->hide();

  column->addWidget(fromUnitRow_);
  column->addWidget(swapButton_, 0, Qt::AlignHCenter);
  column->addWidget(toUnitRow_);
  column->addWidget(allConversions_);
}

void UnitConversionView::applyStyle(const QPalette& palette) {
  fromUnitRow_->applyStyle(palette);
  toUnitRow_->applyStyle(palette);
  swapButton_->setSymbolColor(style::secondaryText(palette));
  allConversions_->applyStyle(palette);
}

}  // namespace ovantic
