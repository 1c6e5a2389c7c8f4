#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QRect>

#include "desktop/tray_item.h"

class QDBusServiceWatcher;

namespace ovantic {

// Ovantic's side of its GNOME Shell extension. Only the shell can place a window beside its top
// bar and see a press on the desktop, so where the extension runs its button stands in for the
// status notifier item: it asks for the panel over Ovantic's own interface on the session bus, and
// the shell places the panel's window and reports presses elsewhere.
//
// On the bus: the name io.github.ovantic.Ovantic, at /io/github/ovantic/Ovantic the interface
// io.github.ovantic.Ovantic.Panel with Toggle(x, y, width, height) (the button's place on
// screen) and Close(). The extension owns io.github.ovantic.Ovantic.ShellExtension while enabled.
class ShellExtensionLink : public QObject {
  Q_OBJECT

 public:
  static constexpr char kService[] = "io.github.ovantic.Ovantic";
  static constexpr char kObjectPath[] = "/io/github/ovantic/Ovantic";
  static constexpr char kExtensionService[] = "io.github.ovantic.Ovantic.ShellExtension";
  static constexpr char kExtensionUuid[] = "ovantic@ovantic.github.io";

  explicit ShellExtensionLink(QDBusConnection bus, QObject* parent = nullptr);
  ~ShellExtensionLink() override;

  // Whether our name is ours, so that the extension can reach us.
  bool isListening() const { return listening_; }
  bool extensionPresent() const;

  // What the extension's calls hand on.
  void onToggle(QRect button);
  void onClose();

 signals:
  void extensionAppeared();
  void extensionVanished();
  // A click on the extension's button, which is at `button` on screen.
  void toggleRequested(QRect button);
  // A press outside the panel, or the overview opening.
  void closeRequested();

 private:
  QDBusConnection bus_;
  bool listening_ = false;
  QDBusServiceWatcher* watcher_ = nullptr;
};

// The extension's button as the shell's tray item: its clicks are activations, its place the one
// the last click came from.
class ShellExtensionItem : public TrayItem {
  Q_OBJECT

 public:
  ShellExtensionItem(ShellExtensionLink* link, const QIcon& icon, const QString& toolTip);

  QIcon icon() const override { return icon_; }
  QString toolTip() const override { return toolTip_; }
  QRect geometry() const override { return geometry_; }

 private:
  QIcon icon_;
  QString toolTip_;
  QRect geometry_;
};

// Whether the desktop is GNOME Shell, where the extension is the way to the top bar.
bool isGnomeShellDesktop(const QString& currentDesktop);

// The major version of the GNOME Shell on the session bus, or 0 where none answers.
int gnomeShellMajorVersion(QDBusConnection bus);

// Whether the extension is installed for this user or for all, so that it can be enabled.
bool shellExtensionInstalled();

// Tells the user, through the desktop's notifications, that the extension puts the panel under the
// icon and how to enable it.
void announceShellExtension();

}  // namespace ovantic
