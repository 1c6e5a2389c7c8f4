#include "panel/all_conversions_view.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QLabel>

#include "panel/flag_image.h"
#include "panel/panel_accessibility.h"
#include "panel/panel_style.h"
#include "panel/rounded_card.h"
#include "panel/wrapping_label.h"

namespace ovantic {

namespace {
constexpr qreal kLineRadius = 8;
QString copiedText() {
  return QCoreApplication::translate("ovantic::Panel", "Copied!");
}
}  // namespace

AllConversionsView::AllConversionsView(ValueFormatter formatValue, QWidget* parent)
    : QWidget(parent),
      formatValue_(std::move(formatValue)),
      layout_(new QVBoxLayout(this)),
      heading_(new QLabel(tr("All Units"), this)) {
  setObjectName(QStringLiteral("allConversionsView"));
  layout_->setContentsMargins(4, 10, 4, 0);
  layout_->setSpacing(6);
  heading_->setObjectName(QStringLiteral("allUnitsHeading"));
  heading_->setTextFormat(Qt::PlainText);
  heading_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  layout_->addWidget(heading_);
  exact_ = makeLine(QStringLiteral("exactLine"), tr("Exact"));
  exact_.card->setVisible(false);
  connect(exact_.card, &RoundedCard::clicked, this, [this] {
    if (onExactClicked) onExactClicked();
  });
}

void AllConversionsView::setExact(const QString& flag, const QString& text, bool copied) {
  showFlag(exact_, flag);
  exactCopied_ = copied;
  exact_.card->setVisible(!text.isEmpty());
  // As on the other lines, the copied amount stays in view, and the name says the amount alone.
  const QString shown = copied ? copiedText() + QLatin1Char(' ') + text : text;
  if (exact_.value->text() != shown) exact_.value->setText(shown);
  updateAccessibleName(exact_.card, shown);
  updateAccessibleDescription(exact_.card, tr("Exact amount; press to copy"));
  styleExact();
}

RoundedCard* AllConversionsView::line(int index) const {
  return lines_.at(static_cast<std::size_t>(index)).card;
}

WrappingLabel* AllConversionsView::valueLabel(int index) const {
  return lines_.at(static_cast<std::size_t>(index)).value;
}

bool AllConversionsView::setEntries(const std::vector<ConversionEntry>& entries,
                                    const QString& flag) {
  if (entries == entries_ && flag == flag_) return false;
  entries_ = entries;
  flag_ = flag;
  rebuild();
  return true;
}

QString AllConversionsView::unitWord(UnitType unit) {
  switch (unit) {
    case UnitType::thousand:
      return tr("Thousand");
    case UnitType::lakh:
      return tr("Lakh");
    case UnitType::million:
      return tr("Million");
    case UnitType::crore:
      return tr("Crore");
    case UnitType::billion:
      return tr("Billion");
    case UnitType::none:
      break;
  }
  return tr("Units");
}

void AllConversionsView::showFlag(const Line& line, const QString& flag) {
  line.flag->setProperty("flag", flag);
  line.flag->setVisible(!flag.isEmpty());
}

void AllConversionsView::setCopiedUnit(std::optional<UnitType> unit) {
  if (unit == copiedUnit_) return;
  copiedUnit_ = unit;
  refreshValues();
}

AllConversionsView::Line AllConversionsView::makeLine(const QString& name, const QString& word) {
  auto* card = new RoundedCard(kLineRadius, this);
  card->setObjectName(name);
  auto* row = new QHBoxLayout(card);
  row->setContentsMargins(10, 6, 10, 6);
  // The flag is a picture of its own, as tall as the line's text, and the label the word after it.
  auto* flag = new QLabel(card);
  flag->setObjectName(QStringLiteral("conversionFlag"));
  flag->setVisible(false);
  auto* label = new QLabel(word, card);
  label->setObjectName(QStringLiteral("conversionLabel"));
  label->setTextFormat(Qt::PlainText);
  auto* value = new WrappingLabel(card);
  value->setObjectName(QStringLiteral("conversionValue"));
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The card is the click target, whatever part of it is hit.
  flag->setAttribute(Qt::WA_TransparentForMouseEvents);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  value->setAttribute(Qt::WA_TransparentForMouseEvents);
  // The label keeps its width; the value takes the rest and wraps within it.
  label->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Preferred);
  row->addWidget(flag, 0, Qt::AlignVCenter);
  row->addWidget(label, 0, Qt::AlignVCenter);
  row->addWidget(value, 1);
  card->setClickable(true);
  layout_->addWidget(card);
  return {card, flag, label, value};
}

void AllConversionsView::rebuild() {
  for (const Line& line : lines_) {
    layout_->removeWidget(line.card);
    delete line.card;
  }
  lines_.clear();
  lines_.reserve(entries_.size());
  for (std::size_t index = 0; index < entries_.size(); ++index) {
    const ConversionEntry& entry = entries_[index];
    const Line line =
        makeLine(QStringLiteral("conversionLine_") + QString::fromUtf8(entry.unit.rawValue()),
                 unitWord(entry.unit));
    showFlag(line, flag_);
    RoundedCard* card = line.card;
    const UnitType unit = entry.unit;
    connect(card, &RoundedCard::clicked, this, [this, unit] {
      // Look the entry up at click time: the list may have been rebuilt since the line was made.
      for (const ConversionEntry& current : entries_) {
        if (current.unit == unit && onLineClicked) {
          onLineClicked(current);
          return;
        }
      }
    });
    // A layout shows a new child of a visible parent only on the next event-loop turn; the line
    // must be there as soon as the list is.
    card->setVisible(true);
    lines_.push_back(line);
  }
  refreshValues();
}

void AllConversionsView::refreshValues() {
  for (std::size_t index = 0; index < lines_.size(); ++index) {
    const Line& line = lines_[index];
    const ConversionEntry& entry = entries_[index];
    const bool copied = copiedUnit_ == entry.unit;
    const QString value = formatValue_(entry.value, entry.unit);
    // The copied amount stays in view beside the word, so the user sees what went out.
    const QString text = copied ? copiedText() + QLatin1Char(' ') + value : value;
    if (line.value->text() != text) line.value->setText(text);
    // Said as words ("20,780 lakh"): the short form alone means nothing read aloud.
    QString spoken = spokenValue ? spokenValue(entry.value, entry.unit)
                                 : formatValue_(entry.value, UnitType::none);
    if (!spokenValue && entry.unit != UnitType::none) {
      spoken += QLatin1Char(' ') + QString::fromUtf8(entry.unit.rawValue());
    }
    updateAccessibleName(line.card, copied ? tr("Copied %1").arg(spoken) : spoken);
    updateAccessibleDescription(line.card, tr("Press to copy"));
    styleLine(index);
  }
}

void AllConversionsView::applyStyle(const QPalette& palette) {
  heading_->setFont(style::systemFont(10, QFont::DemiBold));
  secondary_ = style::secondaryText(palette);
  primary_ = style::primaryText(palette);
  green_ = style::green(palette);
  card_ = style::controlBackground(palette);
  style::setTextColor(heading_, secondary_);
  for (std::size_t index = 0; index < lines_.size(); ++index) styleLine(index);
  styleExact();
}

void AllConversionsView::styleLine(std::size_t index) {
  paintLine(lines_[index], copiedUnit_ == entries_[index].unit);
}

void AllConversionsView::styleExact() {
  paintLine(exact_, exactCopied_);
}

void AllConversionsView::paintLine(const Line& line, bool copied) {
  if (!card_.isValid()) return;  // Not styled yet; applyStyle() will come back here.
  line.card->setFill(card_);
  const QFont labelFont = style::systemFont(11, QFont::Medium);
  line.label->setFont(labelFont);
  const QString flag = line.flag->property("flag").toString();
  if (!flag.isEmpty()) {
    line.flag->setPixmap(flagPixmap(flag, labelFont.pixelSize(), devicePixelRatioF()));
  }
  style::setTextColor(line.label, secondary_);
  line.value->setFont(copied ? style::systemFont(11, QFont::Medium)
                             : style::monospacedFont(11, QFont::Medium));
  style::setTextColor(line.value, copied ? green_ : primary_);
}

}  // namespace ovantic
