#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>

class QWidget;

namespace ovantic {

// Tells the shell that the user has left the open panel, whichever way the desktop reports it:
// the popup hid itself (a click elsewhere or Escape), the toplevel lost the focus, a left click
// landed in one of our own windows outside the panel, or a screen-wide watcher saw a press outside
// it. Clicks in menus the panel opened and on the
// tray icon (whose own activation toggles the panel) are not "outside". Lives only while the panel
// is open; it watches the whole application from construction until it is destroyed.
class OutsideClickMonitor : public QObject {
 public:
  enum class Reason { panelHidden, panelLostFocus, clickOutside };
  using Handler = std::function<void(Reason)>;

  OutsideClickMonitor(QWidget* panelWindow, std::function<QRect()> iconGeometry, Handler handler);
  ~OutsideClickMonitor() override;

  // A press of a mouse button at `globalPos`, seen by something watching the whole screen: closes
  // the panel unless it landed in the panel, a menu it opened, or on the tray icon.
  void pressedAt(QPoint globalPos);
  // The window manager made another window active (X11, where the panel's window is its own and
  // hears of no focus change): the user has gone elsewhere.
  void otherWindowActivated();

  // Runs `stopWatching` when the monitor stops: a screen-wide watcher it was given.
  void onStop(std::function<void()> stopWatching) { stopWatching_ = std::move(stopWatching); }
  // Stops listening now; the monitor itself may go later (it may be the caller).
  void stop();

  OutsideClickMonitor(const OutsideClickMonitor&) = delete;
  OutsideClickMonitor& operator=(const OutsideClickMonitor&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool belongsToPanel(const QWidget* widget) const;
  bool closesOnFocusLoss() const;

  QPointer<QWidget> panelWindow_;
  std::function<QRect()> iconGeometry_;
  Handler handler_;
  std::function<void()> stopWatching_;
};

}  // namespace ovantic
