#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QSocketNotifier;
struct xcb_connection_t;

namespace ovantic {

// Sees every mouse button press on an X11 display without taking it from the window it was aimed
// at: XInput2 raw button events, selected on the root window over a connection of its own. A
// pointer grab would see them too, but then the press that closes the panel never reaches the
// application the user was clicking into. Raw events carry no position; whoever gets the press
// asks where the pointer is.
class X11ClickObserver : public QObject {
 public:
  using Handler = std::function<void(int button)>;
  // Called with the window that the window manager now calls active (_NET_ACTIVE_WINDOW), 0 for
  // none, each time that changes: Alt+Tab and the like take the keyboard without any click.
  using ActiveWindowHandler = std::function<void(std::uint32_t window)>;

  // `display` as in $DISPLAY; empty for the one Qt uses.
  explicit X11ClickObserver(const QString& display = {});
  ~X11ClickObserver() override;

  X11ClickObserver(const X11ClickObserver&) = delete;
  X11ClickObserver& operator=(const X11ClickObserver&) = delete;

  // False when the display cannot be reached or has no XInput 2.2; presses are then never seen.
  bool isValid() const { return connection_ != nullptr; }

  // Presses are reported to `handler` from now until `stop`; watching costs the server and us
  // nothing while stopped.
  void start(Handler handler, ActiveWindowHandler activeWindowChanged = {});
  void stop();

  // Gives `window` the keyboard now. Qt would stamp the request with the time of the last X event
  // it saw, which the server ignores once any later focus change happened.
  void giveKeyboardTo(std::uint32_t window);

 private:
  void select(bool presses);
  void watchActiveWindow(bool watch);
  std::uint32_t activeWindow();
  void drain();

  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint8_t xinputOpcode_ = 0;
  QSocketNotifier* notifier_ = nullptr;
  std::uint32_t activeWindowAtom_ = 0;
  std::uint32_t lastActiveWindow_ = 0;
  Handler handler_;
  ActiveWindowHandler activeWindowChanged_;
};

}  // namespace ovantic
