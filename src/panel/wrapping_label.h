#pragma once

#include <QLabel>
#include <QStringList>

namespace ovantic {

// A plain-text label that wraps within its width and never loses a character. QLabel wraps at
// blanks only, so a long number, which has none, ran past the label's edge and its leading digits
// were cut off. Here a line breaks after a group separator where it can, and anywhere when a
// single group is wider than the label; the flag, the number and the unit stay together on a line
// whenever they fit.
class WrappingLabel : public QLabel {
  Q_OBJECT

 public:
  explicit WrappingLabel(QWidget* parent = nullptr);

  // The lines as drawn at the label's current width, in order; joined they give text().
  QStringList lines() const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Wrapped {
    QStringList lines;
    int height = 0;
    int widest = 0;
  };
  // The text laid out in `width` pixels (no limit when negative).
  Wrapped wrap(int width) const;
};

}  // namespace ovantic
