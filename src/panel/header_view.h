#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QMenu;
class QPalette;

namespace ovantic {

class SymbolButton;

// Where the header looks for the application icon (a Qt resource shipped with the panel).
inline const QString defaultAppIconPath = QStringLiteral(":/ovantic/appicon.png");

// The top of the panel: the application icon (when it loads), the title, the refresh button, the
// tagline and a divider.
class HeaderView : public QWidget {
  Q_OBJECT

 public:
  explicit HeaderView(const QString& appIconPath, QWidget* parent = nullptr);

  SymbolButton* refreshButton() const { return refreshButton_; }
  // The "⋮" button; hidden until a menu is given.
  SymbolButton* menuButton() const { return menuButton_; }
  // The application's menu (start at login, about, quit), owned by the caller, who builds it
  // once for the whole run.
  void setMenu(QMenu* menu);
  // Absent when the icon could not be loaded.
  QLabel* appIcon() const { return appIcon_; }

  void applyStyle(const QPalette& palette);

 private:
  QLabel* appIcon_ = nullptr;
  QLabel* title_;
  QLabel* tagline_;
  QWidget* divider_;
  SymbolButton* refreshButton_;
  SymbolButton* menuButton_;
  QMenu* menu_ = nullptr;
};

}  // namespace ovantic
