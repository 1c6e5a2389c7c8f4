#pragma once

#include <QMenu>

#include "desktop/xdg/autostart_entry.h"

class QAction;

namespace ovantic {

// The one menu of the program, the same from the panel's "⋮" button and from the tray icon:
// "Start at login" (a check item kept true to the autostart files), "About Ovantic" and "Quit".
class AppMenu : public QMenu {
  Q_OBJECT

 public:
  explicit AppMenu(AutostartEntry autostart, QWidget* parent = nullptr);

  QAction* startAtLoginAction() const { return startAtLogin_; }
  QAction* aboutAction() const { return about_; }
  QAction* quitAction() const { return quit_; }

  // The About text: the version, the licence and where the rates come from.
  static QString aboutText(const QString& ratesUrl);

 signals:
  void aboutRequested();
  void quitRequested();

 private:
  void syncStartAtLogin();

  AutostartEntry autostart_;
  QAction* startAtLogin_;
  QAction* about_;
  QAction* quit_;
};

}  // namespace ovantic
