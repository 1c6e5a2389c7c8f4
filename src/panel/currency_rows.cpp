#include "panel/currency_rows.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <utility>

#include "panel/currency_picker.h"
#include "panel/panel_accessibility.h"
#include "panel/panel_style.h"
#include "panel/wrapping_label.h"

namespace ovantic {

namespace {

constexpr qreal kRowRadius = 12;
constexpr int kRowPadding = 12;
constexpr int kRowSpacing = 10;
constexpr qreal kBadgeRadius = 6;
QString copiedText() {
  return QCoreApplication::translate("ovantic::Panel", "Copied!");
}

QHBoxLayout* rowLayout(QWidget* row) {
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(kRowPadding, kRowPadding, kRowPadding, kRowPadding);
  layout->setSpacing(kRowSpacing);
  return layout;
}

}  // namespace

AmountRow::AmountRow(const QString& amount, QWidget* parent)
    : RoundedCard(kRowRadius, parent),
      picker_(new CurrencyPicker(tr("Source currency"), this)),
      amountField_(new QLineEdit(amount, this)),
      badge_(new RoundedCard(kBadgeRadius, this)),
      badgeLabel_(new QLabel(badge_)) {
  setObjectName(QStringLiteral("fromUnitRow"));
  picker_->setObjectName(QStringLiteral("fromCurrencyPicker"));

  amountField_->setObjectName(QStringLiteral("amountField"));
  amountField_->setAccessibleName(tr("Amount"));
  // Set, so the placeholder does not stand in for it.
  amountField_->setAccessibleDescription(
      tr("Type an amount such as 2.5 cr or 45 lakh; Enter copies the result"));
  amountField_->setPlaceholderText(QStringLiteral("0"));
  amountField_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  amountField_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  amountField_->setMinimumWidth(40);

  badge_->setObjectName(QStringLiteral("unitBadge"));
  auto* badgeLayout = new QHBoxLayout(badge_);
  badgeLayout->setContentsMargins(6, 4, 6, 4);
  badgeLayout->setSpacing(0);
  badgeLabel_->setObjectName(QStringLiteral("unitBadgeLabel"));
  badgeLabel_->setTextFormat(Qt::PlainText);
  badgeLayout->addWidget(badgeLabel_);
  badge_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  badge_->hide();

  auto* layout = rowLayout(this);
  layout->addWidget(picker_, 0, Qt::AlignVCenter);
  layout->addWidget(amountField_, 1, Qt::AlignVCenter);
  layout->addWidget(badge_, 0, Qt::AlignVCenter);
}

void AmountRow::setBadge(const QString& shortForm) {
  if (shortForm.isEmpty()) {
    badge_->hide();
    return;
  }
  badgeLabel_->setText(shortForm);
  updateAccessibleName(badge_, tr("Unit: %1").arg(shortForm));
  badge_->show();
}

void AmountRow::applyStyle(const QPalette& palette) {
  setFill(style::controlBackground(palette));
  picker_->applyStyle(palette);

  // Frame, field background and placeholder stay the platform's, so it reads as a field.
  amountField_->setFont(style::monospacedFont(15, QFont::Medium));

  const QColor blue = style::blue(palette);
  badge_->setFill(style::withAlpha(blue, 0.1));
  badgeLabel_->setFont(style::systemFont(11, QFont::Medium));
  style::setTextColor(badgeLabel_, blue);
}

ResultRow::ResultRow(QWidget* parent)
    : RoundedCard(kRowRadius, parent),
      picker_(new CurrencyPicker(tr("Target currency"), this)),
      resultArea_(new RoundedCard(0, this)),
      resultLabel_(new WrappingLabel(resultArea_)) {
  setObjectName(QStringLiteral("toUnitRow"));
  picker_->setObjectName(QStringLiteral("toCurrencyPicker"));

  resultArea_->setObjectName(QStringLiteral("resultArea"));
  resultArea_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  auto* areaLayout = new QHBoxLayout(resultArea_);
  areaLayout->setContentsMargins(0, 0, 0, 0);
  resultLabel_->setObjectName(QStringLiteral("resultLabel"));
  resultLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  resultLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
  areaLayout->addWidget(resultLabel_);
  resultArea_->setClickable(true);

  auto* layout = rowLayout(this);
  layout->addWidget(picker_, 0, Qt::AlignVCenter);
  layout->addWidget(resultArea_, 1);
}

void ResultRow::showResult(const QString& resultText, const QString& spoken) {
  showingCopied_ = false;
  if (resultLabel_->text() != resultText) resultLabel_->setText(resultText);
  updateAccessibleName(resultArea_, spoken);
  updateAccessibleName(resultLabel_, spoken);
  updateAccessibleDescription(resultArea_, tr("Result; press to copy"));
  resultArea_->setClickable(true);
  applyTextColor();
}

void ResultRow::showCopied(const QString& copied, const QString& spoken) {
  showingCopied_ = true;
  const QString text = copiedText() + QLatin1Char(' ') + copied;
  if (resultLabel_->text() != text) resultLabel_->setText(text);
  const QString said = tr("Copied %1").arg(spoken);
  updateAccessibleName(resultArea_, said);
  updateAccessibleName(resultLabel_, said);
  resultArea_->setClickable(false);
  applyTextColor();
}

bool ResultRow::onResultSide(const QPoint& point) const {
  return rect().contains(point) && point.x() >= resultArea_->geometry().left();
}

void ResultRow::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && onResultSide(event->position().toPoint())) {
    paddingPressed_ = true;
    event->accept();
    return;
  }
  RoundedCard::mousePressEvent(event);
}

void ResultRow::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = std::exchange(paddingPressed_, false);
  if (wasPressed && event->button() == Qt::LeftButton &&
      onResultSide(event->position().toPoint())) {
    event->accept();
    resultArea_->click();  // which takes no click while "Copied!" shows
    return;
  }
  RoundedCard::mouseReleaseEvent(event);
}

void ResultRow::applyStyle(const QPalette& palette) {
  setFill(style::controlBackground(palette));
  picker_->applyStyle(palette);
  resultLabel_->setFont(style::monospacedFont(15, QFont::Medium));
  primary_ = style::primaryText(palette);
  green_ = style::green(palette);
  applyTextColor();
}

void ResultRow::applyTextColor() {
  const QColor& color = showingCopied_ ? green_ : primary_;
  if (color.isValid()) style::setTextColor(resultLabel_, color);
}

}  // namespace ovantic
