#include "panel/underline_on_hover.h"

#include <QEvent>
#include <QPalette>
#include <QWidget>

namespace ovantic {

UnderlineOnHover::UnderlineOnHover(QWidget* target)
    : QObject(target), target_(target), line_(new QWidget(target)) {
  line_->setObjectName(QStringLiteral("hoverUnderline"));
  line_->setAttribute(Qt::WA_TransparentForMouseEvents);
  line_->setAutoFillBackground(true);
  line_->hide();
  setColor(color_);
  target->setAttribute(Qt::WA_Hover);
  target->installEventFilter(this);
  placeLine();
}

void UnderlineOnHover::setColor(const QColor& color) {
  color_ = color;
  QPalette palette = line_->palette();
  palette.setColor(QPalette::Window, color);
  line_->setPalette(palette);
}

bool UnderlineOnHover::eventFilter(QObject* watched, QEvent* event) {
  if (watched == target_) {
    switch (event->type()) {
      case QEvent::Enter:
        setHovered(true);
        break;
      case QEvent::Leave:
      case QEvent::Hide:
        setHovered(false);
        break;
      case QEvent::Resize:
        placeLine();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

void UnderlineOnHover::setHovered(bool hovered) {
  isHovered_ = hovered;
  line_->setVisible(hovered);
  if (hovered) line_->raise();
}

void UnderlineOnHover::placeLine() {
  const QRect area = target_->rect();
  line_->setGeometry(0, area.height() - 1, area.width(), 1);
}

}  // namespace ovantic
