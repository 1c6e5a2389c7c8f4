#pragma once

#include <QMargins>
#include <QPointer>
#include <QWidget>

namespace ovantic {

// The panel's backdrop, filling the whole panel behind its content, with a 1-pixel edge in the
// separator colour so the panel stands out from a window of the same tone behind it. Where the
// window may be translucent (the shell sets Qt::WA_TranslucentBackground on it only when a
// compositor runs), it paints the window colour slightly see-through with rounded corners and
// casts a soft shadow into the window's margin around the panel (shadowMargins()); otherwise the
// plain window colour.
class VisualEffectView : public QWidget {
  Q_OBJECT

 public:
  explicit VisualEffectView(QWidget* parent = nullptr);

  // The room a translucent window leaves around the panel for its shadow.
  static QMargins shadowMargins();

  bool isTranslucent() const;

  // Where a window's mask shapes only where it takes clicks (the shell knows the windowing
  // system), the shadow around a translucent panel lets clicks through to what lies below.
  void setShadowPassesClicks(bool passes) { shadowPassesClicks_ = passes; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void paintShadow(QWidget* window);
  void passClicksThroughShadow();

  QPointer<QWidget> shadowed_;
  bool shadowPassesClicks_ = false;
};

}  // namespace ovantic
