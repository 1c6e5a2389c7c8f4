#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QListView;

namespace ovantic {

class CurrencyListModel;

// The open currency picker: a search field over the offered currencies, each shown as flag, code
// and English name, the current one checked. Typing narrows the list by code, name or country;
// Up and Down move, Enter or a click picks, Escape closes and leaves the choice as it was.
//
// Only the rows in sight are drawn, flags included, so opening costs the same with ten currencies
// or two hundred.
class CurrencyPopup : public QFrame {
  Q_OBJECT

 public:
  explicit CurrencyPopup(QWidget* parent);
  ~CurrencyPopup() override;

  // Shows `codes` in their order with `current` checked and an empty search, at `topLeft` (global)
  // or above `above` (global y) when the screen has no room below.
  void open(std::vector<std::string> codes, const QString& current, QPoint topLeft, int above);

  QLineEdit* searchField() const { return search_; }
  QListView* list() const { return list_; }
  // The codes shown, in order, after the search.
  QStringList shownCodes() const;
  // The highlighted code, which Enter picks; empty when nothing matches.
  QString highlightedCode() const;

  void applyStyle(const QPalette& palette);

 signals:
  void currencyChosen(const QString& code);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void applySearch(const QString& text);
  void moveHighlight(int by);
  void pick(const QModelIndex& index);

  std::vector<std::string> offered_;
  QString current_;
  QLineEdit* search_;
  QListView* list_;
  QLabel* nothingFound_;
  CurrencyListModel* model_;
};

}  // namespace ovantic
