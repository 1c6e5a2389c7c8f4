#pragma once

#include <QRect>
#include <QStringView>
#include <functional>
#include <memory>

#include "desktop/outside_click_monitor.h"

class QWidget;

namespace ovantic {

// The windowing system the session runs on, as far as the shell's decisions differ.
enum class WindowingSystem { x11, wayland, other };

// How the panel's window is made on a given windowing system.
enum class PopoverKind {
  // A Qt::Popup: grabs pointer and keyboard, hides itself on any click outside it and on Escape.
  popup,
  // A frameless toplevel that takes focus and closes when it loses it. Wayland gives a popup no
  // place without a parent window, and a tray application has none.
  toplevel,
  // X11: a frameless tool window above the others that the window manager leaves alone (so it
  // lands exactly where it is put) and that takes the keyboard itself. It grabs nothing, so the
  // click that closes it goes on to whatever it was aimed at; the desktop watches for that click.
  unmanaged,
};

// What the shell needs to know of the desktop it runs on, and the few things done differently
// there. Chosen once per run from Qt's platform plugin; the rest of the program asks this instead
// of naming windowing systems itself.
class DesktopPlatform {
 public:
  // The one place the platform plugin's name is read.
  static WindowingSystem windowingSystemOf(QStringView platformName);
  // The desktop of this session; needs the QGuiApplication.
  static std::unique_ptr<DesktopPlatform> forThisSession();

  virtual ~DesktopPlatform();
  DesktopPlatform(const DesktopPlatform&) = delete;
  DesktopPlatform& operator=(const DesktopPlatform&) = delete;

  WindowingSystem windowingSystem() const { return system_; }

  // How the next panel's window is made.
  virtual PopoverKind popoverKind() { return PopoverKind::popup; }
  // Whether the panel may draw its translucent backdrop: only where windows are always
  // composited. X11 may or may not run a compositor, and asking would take X11 calls of our own.
  virtual bool translucentBackdrop() const { return false; }
  // Whether a window's mask shapes only where it takes clicks (so a click on the shadow around the
  // panel reaches what lies below) rather than what it shows.
  virtual bool maskIsInputRegion() const { return false; }
  // Whether a tray that starts later can still be found without a session bus to announce it.
  virtual bool trayFoundWithoutBus() const { return true; }

  // Starts watching for the user leaving the open panel in `panelWindow`, the way this desktop
  // tells of it; stops with the monitor's stop().
  virtual std::unique_ptr<OutsideClickMonitor> watchOutside(QWidget* panelWindow,
                                                            std::function<QRect()> iconGeometry,
                                                            OutsideClickMonitor::Handler handler);
  // Gives the keyboard back to an open panel, perhaps behind the window the user went to.
  virtual void focusPanel(QWidget* panelWindow);

 protected:
  explicit DesktopPlatform(WindowingSystem system) : system_(system) {}

 private:
  WindowingSystem system_;
};

}  // namespace ovantic
