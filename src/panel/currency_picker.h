#pragma once

#include <QColor>
#include <QString>
#include <QToolButton>

class QMenu;

namespace ovantic {

// A pull-down menu of the offered currencies. Its label is the chosen currency's flag and code on
// a faint rounded background, with a small pull-down indicator; a click anywhere on it opens the
// menu. Items show flag and code, carry no check mark and are never disabled: choosing the shown
// currency again is allowed and simply reported.
class CurrencyPicker : public QToolButton {
  Q_OBJECT

 public:
  // `role` names the picker for assistive technology ("Source currency").
  CurrencyPicker(const QString& role, QWidget* parent = nullptr);

  void setCurrency(const QString& code);
  QString currency() const { return code_; }

  void applyStyle(const QPalette& palette);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  // A menu item was chosen; `code` may equal the one shown.
  void currencySelected(const QString& code);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString flag() const;

  QString role_;
  QString code_;
  QMenu* menu_;
  QColor background_ = Qt::transparent;
  QColor textColor_ = Qt::black;
  QColor indicatorColor_ = Qt::gray;
};

}  // namespace ovantic
