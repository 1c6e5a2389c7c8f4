#pragma once

#include <QColor>
#include <QString>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

namespace ovantic {

class CurrencyPopup;

// The currency picker. Its label is the chosen currency's flag and code on a faint rounded
// background, with a small pull-down indicator; a click anywhere on it, or Space, opens the list
// of offered currencies with a search field (CurrencyPopup). No entry is disabled: choosing the
// shown currency again is allowed and simply reported.
class CurrencyPicker : public QToolButton {
  Q_OBJECT

 public:
  // `role` names the picker for assistive technology ("Source currency").
  CurrencyPicker(const QString& role, QWidget* parent = nullptr);

  // What the list offers, asked each time it opens: the rate table may have grown meanwhile.
  void setOffer(std::function<std::vector<std::string>()> offer) { offer_ = std::move(offer); }
  void setCurrency(const QString& code);
  QString currency() const { return code_; }

  void applyStyle(const QPalette& palette);

  void showPopup();
  // The open list; null until first opened, as most openings of the panel never need it.
  CurrencyPopup* popup() const { return popup_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  // An entry was chosen; `code` may equal the one shown.
  void currencySelected(const QString& code);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString flag() const;

  QString role_;
  QString code_;
  std::function<std::vector<std::string>()> offer_;
  CurrencyPopup* popup_ = nullptr;
  QPalette popupPalette_;
  QColor background_ = Qt::transparent;
  QColor textColor_ = Qt::black;
  QColor indicatorColor_ = Qt::gray;
};

}  // namespace ovantic
