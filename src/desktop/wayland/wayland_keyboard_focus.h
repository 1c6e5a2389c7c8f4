#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

class QWindow;

namespace ovantic {

// Which of our windows holds the keyboard, as the Wayland compositor says it, event by event.
//
// Qt settles the active window a round trip after the compositor's keyboard events and nets an
// enter and a leave that come together into no change at all; it may even report an activation
// that a leave has already undone. A compositor that focuses the panel as it maps it and loses it
// to a click at that moment thus leaves Qt believing the panel never lost the focus. This listens
// to a keyboard of its own on Qt's connection and reports each time `window` no longer holds the
// keyboard it had been given, however briefly it held it.
class WaylandKeyboardFocus : public QObject {
  Q_OBJECT

 public:
  // Null when the application does not run on Wayland or the compositor offers no keyboard.
  static std::unique_ptr<WaylandKeyboardFocus> watch(QWindow* window);
  ~WaylandKeyboardFocus() override;

  WaylandKeyboardFocus(const WaylandKeyboardFocus&) = delete;
  WaylandKeyboardFocus& operator=(const WaylandKeyboardFocus&) = delete;

  // Our own objects on Qt's connection; defined where the Wayland headers are.
  struct Connection;

 signals:
  void focusLeft();

 private:
  explicit WaylandKeyboardFocus(std::unique_ptr<Connection> connection);
  void dispatch();

  std::unique_ptr<Connection> connection_;
};

}  // namespace ovantic
