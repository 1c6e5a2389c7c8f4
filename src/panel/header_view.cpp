#include "panel/header_view.h"

#include <QBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "panel/panel_style.h"
#include "panel/symbol_button.h"

namespace ovantic {

namespace {

constexpr int kIconHeight = 16;
constexpr qreal kIconCornerRadius = 7;

// The icon scaled to 16 logical pixels high, aspect ratio kept, clipped to a rounded rectangle.
// A null pixmap when the file is missing or unreadable: the header then simply has no icon.
QPixmap loadAppIcon(const QString& path, qreal devicePixelRatio) {
  const QImage image(path);
  if (image.isNull() || image.height() == 0) return {};
  const qreal width = kIconHeight * static_cast<qreal>(image.width()) / image.height();
  const QSize device(qMax(1, qRound(width * devicePixelRatio)),
                     qMax(1, qRound(kIconHeight * devicePixelRatio)));
  QPixmap pixmap(device);
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(device)), kIconCornerRadius * devicePixelRatio,
                        kIconCornerRadius * devicePixelRatio);
    painter.setClipPath(clip);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(device)), image);
  }
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

}  // namespace

HeaderView::HeaderView(const QString& appIconPath, QWidget* parent)
    : QWidget(parent),
      title_(new QLabel(QStringLiteral("Ovantic"), this)),
      tagline_(new QLabel(tr("Quickly convert between Lakhs, Crores, Billions, Millions"), this)),
      divider_(new QWidget(this)),
      refreshButton_(new SymbolButton(SymbolButton::Symbol::arrowClockwise, 14, false, this)),
      menuButton_(new SymbolButton(SymbolButton::Symbol::verticalEllipsis, 14, false, this)) {
  setObjectName(QStringLiteral("headerView"));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 4);
  column->setSpacing(6);

  auto* titleRow = new QHBoxLayout;
  titleRow->setContentsMargins(0, 0, 0, 0);
  titleRow->setSpacing(6);
  const QPixmap icon = loadAppIcon(appIconPath, devicePixelRatioF());
  if (!icon.isNull()) {
    appIcon_ = new QLabel(this);
    appIcon_->setObjectName(QStringLiteral("appIcon"));
    appIcon_->setPixmap(icon);
    appIcon_->setFixedSize(icon.deviceIndependentSize().toSize());
    appIcon_->setAccessibleName(tr("Ovantic icon"));
    titleRow->addWidget(appIcon_, 0, Qt::AlignVCenter);
  }
  title_->setObjectName(QStringLiteral("titleLabel"));
  title_->setTextFormat(Qt::PlainText);
  titleRow->addWidget(title_, 0, Qt::AlignVCenter);
  titleRow->addStretch(1);
  refreshButton_->setObjectName(QStringLiteral("refreshButton"));
  refreshButton_->setAccessibleName(tr("Refresh rates"));
  refreshButton_->setToolTip(tr("Refresh rates (F5)"));
  // 24 by 24: a target a finger or a shaky hand still hits.
  refreshButton_->setPadding(5, 5);
  titleRow->addWidget(refreshButton_, 0, Qt::AlignVCenter);
  menuButton_->setObjectName(QStringLiteral("menuButton"));
  menuButton_->setAccessibleName(tr("Menu"));
  menuButton_->setToolTip(tr("Menu"));
  menuButton_->setPadding(5, 5);
  menuButton_->hide();
  titleRow->addWidget(menuButton_, 0, Qt::AlignVCenter);
  connect(menuButton_, &QAbstractButton::clicked, this, [this] {
    // Hung from the button's right edge, so it opens over the panel rather than past its side.
    if (!menu_) return;
    const QPoint corner(menuButton_->width() - menu_->sizeHint().width(), menuButton_->height());
    menu_->popup(menuButton_->mapToGlobal(corner));
  });
  column->addLayout(titleRow);

  tagline_->setObjectName(QStringLiteral("taglineLabel"));
  tagline_->setTextFormat(Qt::PlainText);
  tagline_->setWordWrap(true);
  tagline_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  column->addWidget(tagline_);

  divider_->setObjectName(QStringLiteral("headerDivider"));
  divider_->setFixedHeight(1);
  divider_->setAutoFillBackground(true);
  column->addWidget(divider_);
}

void HeaderView::setMenu(QMenu* menu) {
  menu_ = menu;
  menuButton_->setVisible(menu != nullptr);
}

void HeaderView::applyStyle(const QPalette& palette) {
  title_->setFont(style::systemFont(16, QFont::DemiBold));
  style::setTextColor(title_, style::primaryText(palette));
  tagline_->setFont(style::systemFont(10));
  style::setTextColor(tagline_, style::secondaryText(palette));
  refreshButton_->setSymbolColor(style::secondaryText(palette));
  menuButton_->setSymbolColor(style::secondaryText(palette));
  QPalette line = divider_->palette();
  line.setColor(QPalette::Window, style::withAlpha(style::separator(palette), 0.5));
  divider_->setPalette(line);
}

}  // namespace ovantic
