#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <memory>

#include "app/closing_click_filter.h"
#include "converter/currency_converter_view.h"
#include "desktop/desktop_platform.h"
#include "desktop/tray_item.h"

class QAction;

namespace ovantic {

class AppMenu;
class PopoverWindow;
class ShellExtensionLink;
class TrayPresence;

// The tray shell: one icon for the whole run, and while the panel is open, the window holding a
// fresh converter and the monitor that closes it when the user goes elsewhere.
class AppDelegate : public QObject {
  Q_OBJECT

 public:
  // `services` are shared by every panel opened during the run; `desktop` is the session's, chosen
  // once at start.
  AppDelegate(ConverterServices services, std::unique_ptr<DesktopPlatform> desktop,
              QObject* parent = nullptr);
  explicit AppDelegate(ConverterServices services, QObject* parent = nullptr);
  ~AppDelegate() override;

  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  // Set once a tray exists. Where a status notifier host runs it is our item on the session bus,
  // one for the whole run however often hosts come and go; otherwise Qt's icon, made anew
  // whenever an XEmbed tray appears or restarts, since the icon went with the tray that held it.
  std::unique_ptr<TrayItem> statusItem;
  // The open panel's window; null exactly when the panel counts as closed. The window deletes
  // itself after its deferred close.
  QPointer<PopoverWindow> popover;
  // Present exactly while a panel is open.
  std::unique_ptr<OutsideClickMonitor> eventMonitor;

  // The program's menu, built once: the panel's "⋮" button and the icon's context menu show it.
  AppMenu* menu() const { return menu_.get(); }

  // Where the icon comes from; a test may point it elsewhere before launching.
  QString iconPath = QStringLiteral(":/ovantic/ovantic.svg");

 public slots:
  // Puts up the icon, or when there is no tray yet, says so once (on stderr and through the
  // desktop's notifications) and waits for one. Nothing else happens at launch: no panel, no
  // request, no monitor.
  void applicationDidFinishLaunching();
  void setupMenuBarIcon();
  void togglePopover();
  void showPopover();
  // What a second launch asks of the running one: the panel, opened as a click on the icon would,
  // or left open when it already is.
  void openPopover();
  void closePopover();
  // The About box, once the panel is out of the way.
  void showAbout();
  void startEventMonitor();
  void stopEventMonitor();

 signals:
  // The panel was put on screen, or its close was scheduled.
  void popoverShown();
  void popoverClosed();
  // The user asked for the icon's menu (a right click, or a host's ContextMenu) at `globalPos`.
  void contextMenuRequested(QPoint globalPos);

 private:
  void onActivated(QSystemTrayIcon::ActivationReason reason);
  // Where the tray offers a context menu beside the left click, the icon gets the menu too.
  void attachMenuToIcon();

  // GNOME Shell with our extension: its button is the icon. Without it, the user hears of it once.
  bool useShellExtension();
  void adviseShellExtension();

  ConverterServices services_;
  std::unique_ptr<DesktopPlatform> desktop_;
  std::unique_ptr<AppMenu> menu_;
  TrayPresence* tray_;
  ShellExtensionLink* shellLink_;
  // The first entry of the icon's menu where a single click shows that menu.
  QAction* openAction_;
  QElapsedTimer clock_;
  ClosingClickFilter closingClick_;
};

}  // namespace ovantic
