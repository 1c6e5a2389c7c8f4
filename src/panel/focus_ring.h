#pragma once

#include <QColor>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace ovantic {

// The keyboard-focus ring of the panel's own controls, and where focus goes after a click.
//
// The controls are drawn rounded and tight around their glyphs, so a ring drawn inside one would
// cover its symbol or touch its digits. The ring is therefore an overlay over the whole panel that
// sits just outside the focused control, following its corners. It shows only for focus that the
// keyboard brought: the controls take no focus from a click, and a click on one sends the focus
// back to `home` (the amount field), where whatever the user types next belongs.
class FocusRing : public QWidget {
  Q_OBJECT

 public:
  FocusRing(QWidget* panel, QWidget* home);

  // `radius` is the ring's corner radius; `outset` how far it stands off the control's edges.
  void track(QWidget* control, qreal radius, int outset);
  void setColor(const QColor& color);

  // The control the ring is drawn around now; null while no ring shows.
  QWidget* ringedControl() const { return target_; }
  // Where the ring is drawn, in panel coordinates; empty while no ring shows.
  QRect ringRect() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Shape {
    qreal radius;
    int outset;
  };

  void setTarget(QWidget* control);
  void followTarget();
  void sendHome();

  QWidget* panel_;
  QPointer<QWidget> home_;
  QHash<const QObject*, Shape> shapes_;
  QPointer<QWidget> target_;
  QList<QPointer<QWidget>> watchedAncestors_;
  QRect painted_;
  QColor color_ = Qt::transparent;
};

}  // namespace ovantic
