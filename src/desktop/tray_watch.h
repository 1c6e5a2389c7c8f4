#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

namespace ovantic {

// Knows whether a system tray is there to take the icon, and says when one appears or restarts.
// Qt settles once per process whether its icons go to a StatusNotifierItem host, the first time
// anything asks it about trays; asked before the desktop's host is up, it never shows an icon on
// a desktop that has no other tray. So nothing here asks Qt: it looks for the host on the session
// bus and for the X11 tray selection's owner itself, and the shell creates its icon only once one
// of them answers.
class TrayWatch : public QObject, private QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit TrayWatch(QObject* parent = nullptr);
  ~TrayWatch() override;

  // Whether a StatusNotifierItem host or an XEmbed tray is there right now.
  bool trayPresent();
  // Whether a tray could still appear later: some way of hearing of one is open.
  bool canHearOfATray() const;
  // Each kind of tray on its own. The host is asked of the session bus without waiting on it:
  // this is the last answer, kept current as watchers and hosts come and go.
  bool sniHostPresent() const { return hostPresent_; }
  // Whether the bus has answered once since the launch (at once without a bus).
  bool hostKnown() const { return hostKnown_; }
  // Calls `then` once it has; at once when it has already.
  void whenHostKnown(std::function<void()> then);
  bool xembedTrayPresent() { return onX11_ && xembedOwner() != 0; }
  // Begins watching; the signals fire from then on.
  void start();

  // How often the X11 tray selection is looked at where the X server cannot say when its owner
  // changes (no XFixes); a restarted tray is noticed within this.
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
  void onHostUnregistered();

 private:
  std::uint32_t xembedOwner();
  // Asks the bus whether a host is registered; `answered` runs with the answer in place.
  void askHost(std::function<void()> answered = {});
  void ownerSeen(std::uint32_t owner);
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  bool onX11_ = false;
  bool onBus_ = false;
  std::uint32_t trayAtom_ = 0;
  std::uint32_t lastOwner_ = 0;
  bool hostPresent_ = false;
  bool hostKnown_ = false;
  std::vector<std::function<void()>> waitingForHost_;
  std::uint32_t root_ = 0;
  // XFixes' selection-owner event, or 0 without the extension.
  std::uint8_t ownerEvent_ = 0;
  QTimer selectionPoll_;
};

}  // namespace ovantic
