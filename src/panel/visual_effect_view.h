#pragma once

#include <QWidget>

namespace ovantic {

// The panel's backdrop, filling the whole panel behind its content. Where the window may be
// translucent (the shell sets Qt::WA_TranslucentBackground on it only when a compositor runs), it
// paints the window colour slightly see-through with rounded corners; otherwise the plain window
// colour.
class VisualEffectView : public QWidget {
  Q_OBJECT

 public:
  explicit VisualEffectView(QWidget* parent = nullptr);

  bool isTranslucent() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ovantic
