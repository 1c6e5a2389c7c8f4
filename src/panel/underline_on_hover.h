#pragma once

#include <QColor>
#include <QObject>

class QWidget;

namespace ovantic {

// Decorates a widget with a 1-pixel line along its bottom edge, shown only while the pointer is
// over the widget. The line is a child of the decorated widget and never takes mouse events.
class UnderlineOnHover : public QObject {
  Q_OBJECT

 public:
  explicit UnderlineOnHover(QWidget* target);

  bool isHovered() const { return isHovered_; }
  void setColor(const QColor& color);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setHovered(bool hovered);
  void placeLine();

  QWidget* target_;  // our parent: it outlives us
  QWidget* line_;
  QColor color_ = Qt::blue;
  bool isHovered_ = false;
};

}  // namespace ovantic
