#pragma once

#include <QLabel>
#include <QString>
#include <QUrl>
#include <QWidget>

namespace ovantic {

class UnderlineOnHover;

// Who made the program, as the footer credits it.
inline const QString authorName = QStringLiteral("Ovantic Team");
inline const QString authorPage = QStringLiteral("https://github.com/ovantic/ovantic");

// A text link: opens its address in the default browser on a click or, when focused, on Enter.
// The pointing-hand cursor shows while the pointer is over it.
class LinkLabel : public QLabel {
  Q_OBJECT

 public:
  LinkLabel(const QString& title, const QUrl& url, QWidget* parent = nullptr);

  QUrl url() const { return url_; }
  UnderlineOnHover* underline() const { return underline_; }
  // Opens the address, as a click does.
  void open();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QUrl url_;
  UnderlineOnHover* underline_;
  bool pressed_ = false;
};

// The bottom of the panel: the rate line, the last-update line and the credit.
class FooterView : public QWidget {
  Q_OBJECT

 public:
  explicit FooterView(QWidget* parent = nullptr);

  QLabel* rateLabel() const { return rateLabel_; }
  QLabel* lastUpdatedLabel() const { return lastUpdatedLabel_; }
  LinkLabel* creditLink() const { return creditLink_; }

  void setRateText(const QString& text);
  void setLastUpdatedText(const QString& text);
  void applyStyle(const QPalette& palette);

 private:
  QLabel* rateLabel_;
  QLabel* lastUpdatedLabel_;
  QLabel* creditPrefix_;
  LinkLabel* creditLink_;
};

}  // namespace ovantic
