#pragma once

#include <QColor>
#include <QWidget>

namespace ovantic {

// A widget drawn as a filled rounded rectangle behind its children: the row cards, the list lines,
// the unit badge. A clickable card reacts to a left click and, when focused, to Enter or Space.
// Its focus ring is the panel's FocusRing, drawn outside the card.
class RoundedCard : public QWidget {
  Q_OBJECT

 public:
  explicit RoundedCard(qreal radius, QWidget* parent = nullptr);

  void setFill(const QColor& fill);
  QColor fill() const { return fill_; }
  qreal radius() const { return radius_; }

  void setClickable(bool clickable);
  bool isClickable() const { return clickable_; }
  // What a click does, for the keyboard and assistive technology; nothing while not clickable.
  void click();

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  qreal radius_;
  QColor fill_ = Qt::transparent;
  bool clickable_ = false;
  bool pressed_ = false;
};

}  // namespace ovantic
