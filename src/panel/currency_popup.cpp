#include "panel/currency_popup.h"

#include <QAbstractListModel>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyledItemDelegate>
#include <algorithm>

#include "converter/currency_converter_view.h"
#include "panel/flag_image.h"
#include "panel/panel_style.h"

namespace ovantic {

namespace {

constexpr int kWidth = 296;
constexpr int kVisibleRows = 9;
constexpr int kRowHeight = 28;
constexpr int kFlagHeight = 15;
constexpr int kCodeWidth = 34;
constexpr int kGap = 8;
constexpr int kPadX = 8;
constexpr int kMargin = 6;
constexpr int kCodeRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1;
constexpr int kFlagRole = Qt::UserRole + 2;

QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

// The shown codes; each row's texts are looked up only when a view asks for them.
class CurrencyListModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void setCodes(std::vector<std::string> codes, QString current) {
    beginResetModel();
    codes_ = std::move(codes);
    current_ = std::move(current);
    endResetModel();
  }

  const std::vector<std::string>& codes() const { return codes_; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(codes_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount({})) return {};
    const std::string& code = codes_[static_cast<std::size_t>(index.row())];
    const bool isCurrent = qs(code) == current_;
    switch (role) {
      case kCodeRole:
        return qs(code);
      case kNameRole:
        return qs(CurrencyConverterView::describeCurrency(code).name);
      case kFlagRole:
        return qs(CurrencyConverterView::describeCurrency(code).flag);
      case Qt::DisplayRole:
        return qs(code) + QStringLiteral(" \u2014 ") +
               qs(CurrencyConverterView::describeCurrency(code).name);
      case Qt::AccessibleTextRole:
        // What a screen reader says for the row; the check state says it again for those that
        // read states.
        return qs(code) + QStringLiteral(", ") +
               qs(CurrencyConverterView::describeCurrency(code).name) +
               (isCurrent ? QCoreApplication::translate("ovantic::Panel", ", current") : QString());
      case Qt::CheckStateRole:
        return isCurrent ? Qt::Checked : Qt::Unchecked;
      default:
        return {};
    }
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    // Checkable only so that assistive technology reads the mark; the check is never toggled.
    return QAbstractListModel::flags(index) | Qt::ItemIsUserCheckable;
  }

 private:
  std::vector<std::string> codes_;
  QString current_;
};

namespace {

// One row: flag, code, name in the secondary colour, and a check mark on the current currency.
class CurrencyRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QColor secondary;
  QColor mark;

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return {kWidth - 2 * kMargin, kRowHeight};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    const QRect row = option.rect;
    const bool highlighted = option.state & QStyle::State_Selected;
    if (highlighted) {
      QPainterPath background;
      background.addRoundedRect(QRectF(row).adjusted(1, 1, -1, -1), 6, 6);
      painter->setRenderHint(QPainter::Antialiasing);
      painter->fillPath(background, option.palette.highlight());
    }
    const QColor text =
        highlighted ? option.palette.highlightedText().color() : option.palette.text().color();
    int x = row.left() + kPadX;
    const QPixmap flag = flagPixmap(index.data(kFlagRole).toString(), kFlagHeight,
                                    painter->device()->devicePixelRatioF());
    const int flagWidth = kFlagHeight * 4 / 3;
    if (!flag.isNull()) {
      const QSizeF size = flag.deviceIndependentSize();
      painter->drawPixmap(QPointF(x + (flagWidth - size.width()) / 2,
                                  row.top() + (row.height() - size.height()) / 2),
                          flag);
    }
    x += flagWidth + kGap;

    painter->setPen(text);
    painter->setFont(style::systemFont(12, QFont::Medium));
    painter->drawText(QRect(x, row.top(), kCodeWidth, row.height()), Qt::AlignVCenter,
                      index.data(kCodeRole).toString());
    x += kCodeWidth + kGap;

    const bool isCurrent = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
    const int markWidth = 16;
    const int nameRight = row.right() - kPadX - markWidth;
    painter->setFont(style::systemFont(12));
    painter->setPen(highlighted ? text : secondary);
    const QString name = painter->fontMetrics().elidedText(index.data(kNameRole).toString(),
                                                           Qt::ElideRight, nameRight - x);
    painter->drawText(QRect(x, row.top(), nameRight - x, row.height()), Qt::AlignVCenter, name);

    if (isCurrent) {
      // A check drawn as a path: no font needs to carry the glyph.
      const qreal cx = nameRight + markWidth / 2.0 + 2;
      const qreal cy = row.center().y() + 0.5;
      QPainterPath check;
      check.moveTo(cx - 5, cy);
      check.lineTo(cx - 1.5, cy + 3.5);
      check.lineTo(cx + 5, cy - 4);
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setPen(
          QPen(highlighted ? text : mark, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      painter->setBrush(Qt::NoBrush);
      painter->drawPath(check);
    }
    painter->restore();
  }
};

}  // namespace

CurrencyPopup::CurrencyPopup(QWidget* parent)
    : QFrame(parent, Qt::Popup),
      search_(new QLineEdit(this)),
      list_(new QListView(this)),
      nothingFound_(new QLabel(tr("No currency matches"), list_)),
      model_(new CurrencyListModel(this)) {
  setObjectName(QStringLiteral("currencyPopup"));
  setAccessibleName(tr("Currencies"));
  setFrameShape(QFrame::StyledPanel);
  setAttribute(Qt::WA_WindowPropagation);

  search_->setObjectName(QStringLiteral("currencySearch"));
  search_->setAccessibleName(tr("Search currencies"));
  search_->setPlaceholderText(tr("Search code, name or country"));
  search_->setClearButtonEnabled(true);
  // What is typed starts in line with the flags below it, not against the field's edge.
  search_->setTextMargins(kPadX - 3, 0, 0, 0);
  search_->installEventFilter(this);

  list_->setObjectName(QStringLiteral("currencyList"));
  list_->setAccessibleName(tr("Currencies"));
  list_->setModel(model_);
  list_->setItemDelegate(new CurrencyRowDelegate(list_));
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setFocusPolicy(Qt::NoFocus);  // the keys go to the search field, which moves the list
  list_->setFixedHeight(kVisibleRows * kRowHeight + 2);

  nothingFound_->setObjectName(QStringLiteral("nothingFound"));
  nothingFound_->setAlignment(Qt::AlignCenter);
  nothingFound_->setGeometry(0, 0, kWidth - 2 * kMargin, kRowHeight * 2);
  nothingFound_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  layout->setSpacing(kMargin);
  layout->addWidget(search_);
  layout->addWidget(list_);
  setFixedWidth(kWidth);

  connect(search_, &QLineEdit::textChanged, this, &CurrencyPopup::applySearch);
  connect(list_, &QListView::clicked, this, &CurrencyPopup::pick);
}

CurrencyPopup::~CurrencyPopup() = default;

void CurrencyPopup::open(std::vector<std::string> codes, const QString& current, QPoint topLeft,
                         int above) {
  offered_ = std::move(codes);
  current_ = current;
  search_->blockSignals(true);
  search_->clear();
  search_->blockSignals(false);
  applySearch({});
  // Opens on the current currency, as a menu would.
  const auto& shown = model_->codes();
  const auto at = std::find(shown.begin(), shown.end(), current.toStdString());
  if (at != shown.end()) {
    const QModelIndex index = model_->index(static_cast<int>(at - shown.begin()));
    list_->setCurrentIndex(index);
    list_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  }

  adjustSize();
  QPoint position = topLeft;
  if (const QScreen* screen = QGuiApplication::screenAt(topLeft)) {
    const QRect area = screen->availableGeometry();
    if (position.y() + height() > area.bottom() && above - height() >= area.top()) {
      position.setY(above - height());
    }
    position.setX(
        std::clamp(position.x(), area.left(), std::max(area.left(), area.right() - width())));
  }
  move(position);
  show();
  search_->setFocus(Qt::PopupFocusReason);
}

QStringList CurrencyPopup::shownCodes() const {
  QStringList codes;
  for (const std::string& code : model_->codes()) codes << qs(code);
  return codes;
}

QString CurrencyPopup::highlightedCode() const {
  return list_->currentIndex().data(kCodeRole).toString();
}

void CurrencyPopup::applyStyle(const QPalette& palette) {
  auto* delegate = static_cast<CurrencyRowDelegate*>(list_->itemDelegate());
  delegate->secondary = style::secondaryText(palette);
  delegate->mark = style::blue(palette);
  nothingFound_->setFont(style::systemFont(12));
  style::setTextColor(nothingFound_, style::secondaryText(palette));
  list_->viewport()->update();
}

void CurrencyPopup::applySearch(const QString& text) {
  model_->setCodes(CurrencyConverterView::findCurrencies(offered_, text.trimmed().toStdString()),
                   current_);
  const bool found = model_->rowCount({}) > 0;
  if (found) list_->setCurrentIndex(model_->index(0));
  nothingFound_->setVisible(!found);
}

void CurrencyPopup::moveHighlight(int by) {
  const int rows = model_->rowCount({});
  if (rows == 0) return;
  const int row = list_->currentIndex().isValid() ? list_->currentIndex().row() + by : 0;
  const QModelIndex index = model_->index(std::clamp(row, 0, rows - 1));
  list_->setCurrentIndex(index);
  list_->scrollTo(index);
}

void CurrencyPopup::pick(const QModelIndex& index) {
  if (!index.isValid()) return;
  const QString code = index.data(kCodeRole).toString();
  close();
  emit currencyChosen(code);
}

bool CurrencyPopup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == search_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Down:
        moveHighlight(1);
        return true;
      case Qt::Key_Up:
        moveHighlight(-1);
        return true;
      case Qt::Key_PageDown:
        moveHighlight(kVisibleRows - 1);
        return true;
      case Qt::Key_PageUp:
        moveHighlight(-(kVisibleRows - 1));
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        pick(list_->currentIndex());
        return true;
      case Qt::Key_Escape:
        close();
        return true;
      default:
        break;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void CurrencyPopup::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QFrame::keyPressEvent(event);
}

}  // namespace ovantic
