#include "panel/footer_view.h"

#include <QBoxLayout>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>

#include "panel/panel_accessibility.h"
#include "panel/panel_style.h"
#include "panel/underline_on_hover.h"

namespace ovantic {

LinkLabel::LinkLabel(const QString& title, const QUrl& url, QWidget* parent)
    : QLabel(title, parent), url_(url), underline_(new UnderlineOnHover(this)) {
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setAccessibleName(title);
  setAccessibleDescription(tr("Opens %1").arg(url.toString()));
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = pressed_;
  pressed_ = false;
  if (wasPressed && event->button() == Qt::LeftButton &&
      rect().contains(event->position().toPoint())) {
    open();
  }
  event->accept();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Space) {
    open();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void LinkLabel::open() {
  QDesktopServices::openUrl(url_);
}

FooterView::FooterView(QWidget* parent)
    : QWidget(parent),
      rateLabel_(new QLabel(this)),
      lastUpdatedLabel_(new QLabel(this)),
      creditPrefix_(new QLabel(tr("Mini App built by "), this)),
      creditLink_(new LinkLabel(authorName, QUrl(authorPage), this)) {
  setObjectName(QStringLiteral("footerView"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 6, 0, 0);
  column->setSpacing(6);

  for (QLabel* label : {rateLabel_, lastUpdatedLabel_}) {
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    column->addWidget(label);
  }
  rateLabel_->setObjectName(QStringLiteral("rateLabel"));
  lastUpdatedLabel_->setObjectName(QStringLiteral("lastUpdatedLabel"));
  // The keyboard, and a screen reader following it, reach the rate and its freshness too; an
  // empty line is no stop.
  for (QLabel* label : {rateLabel_, lastUpdatedLabel_}) {
    label->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    label->setFocusPolicy(Qt::NoFocus);
  }

  auto* credit = new QHBoxLayout;
  credit->setContentsMargins(0, 0, 0, 0);
  credit->setSpacing(4);
  creditPrefix_->setObjectName(QStringLiteral("creditLabel"));
  creditPrefix_->setTextFormat(Qt::PlainText);
  creditLink_->setObjectName(QStringLiteral("creditLink"));
  credit->addStretch(1);
  credit->addWidget(creditPrefix_);
  credit->addWidget(creditLink_);
  credit->addStretch(1);
  column->addLayout(credit);
}

namespace {

void setLine(QLabel* label, const QString& text) {
  if (label->text() != text) label->setText(text);
  updateAccessibleName(label, text);
  label->setFocusPolicy(text.isEmpty() ? Qt::NoFocus : Qt::TabFocus);
}

}  // namespace

void FooterView::setRateText(const QString& text) {
  setLine(rateLabel_, text);
}

void FooterView::setLastUpdatedText(const QString& text) {
  setLine(lastUpdatedLabel_, text);
}

void FooterView::applyStyle(const QPalette& palette) {
  // Small text, so each colour is held to 4.5:1 on the panel, the faint last-update line too.
  const QColor window = palette.color(QPalette::Window);
  rateLabel_->setFont(style::systemFont(11));
  style::setTextColor(rateLabel_, style::readableOn(style::secondaryText(palette), window));
  lastUpdatedLabel_->setFont(style::systemFont(10));
  style::setTextColor(lastUpdatedLabel_, style::readableOn(style::tertiaryText(palette), window));
  creditPrefix_->setFont(style::systemFont(10));
  style::setTextColor(creditPrefix_, style::readableOn(style::secondaryText(palette), window));
  creditLink_->setFont(style::systemFont(10));
  const QColor blue = style::readableOn(style::blue(palette), window);
  style::setTextColor(creditLink_, blue);
  creditLink_->underline()->setColor(blue);
}

}  // namespace ovantic
