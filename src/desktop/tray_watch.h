#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

namespace ovantic {

// Knows whether a system tray is there to take the icon, and says when one appears or restarts.
// Qt settles once per process whether its icons go to a StatusNotifierItem host, the first time
// anything asks it about trays; asked before the desktop's host is up, it never shows an icon on
// a desktop that has no other tray. So nothing here asks Qt: it looks for the host on the session
// bus and for the X11 tray selection's owner itself, and the shell creates its icon only once one
// of them answers.
class TrayWatch : public QObject {
  Q_OBJECT

 public:
  explicit TrayWatch(QObject* parent = nullptr);

  // Whether a StatusNotifierItem host or an XEmbed tray is there right now.
  bool trayPresent();
  // Whether a tray could still appear later: some way of hearing of one is open.
  bool canHearOfATray() const;
  // Each kind of tray on its own.
  bool sniHostPresent() const;
  bool xembedTrayPresent() { return onX11_ && xembedOwner() != 0; }
  // Begins watching; the signals fire from then on.
  void start();

  // How often the X11 tray selection is looked at; a restarted tray is noticed within this.
  static constexpr int kSelectionPollMs = 1000;

 signals:
  // A status notifier host registered, or a watcher that knows one appeared: the icon goes to
  // it, unless our item is already on the bus (it registers with new watchers by itself).
  void hostAppeared();
  // An XEmbed tray took the tray selection: a first one, or a restarted one, which knows nothing
  // of the icons docked in the one before.
  void xembedTrayAppeared();
  // The status notifier watcher left the bus (its desktop shell ended or is restarting).
  void hostVanished();

 private slots:
  void onHostRegistered();

 private:
  std::uint32_t xembedOwner();

  bool onX11_ = false;
  bool onBus_ = false;
  std::uint32_t trayAtom_ = 0;
  std::uint32_t lastOwner_ = 0;
  QTimer selectionPoll_;
};

}  // namespace ovantic
