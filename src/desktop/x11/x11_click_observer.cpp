#include "desktop/x11/x11_click_observer.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QSocketNotifier>
#include <cstdlib>
#include <memory>

namespace ovantic {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> owned(T* reply) {
  return Reply<T>(reply, &std::free);
}

}  // namespace

X11ClickObserver::X11ClickObserver(const QString& display) {
  const QByteArray name = display.toLocal8Bit();
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(display.isEmpty() ? nullptr : name.constData(), &screenNumber);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return;
  }
  const xcb_query_extension_reply_t* xinput = xcb_get_extension_data(c, &xcb_input_id);
  // Raw events reach a client whatever grab is active only from XInput 2.1 on; 2.2 is what
  // every X server of the last decade offers.
  auto version =
      xinput && xinput->present
          ? owned(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr))
          : owned<xcb_input_xi_query_version_reply_t>(nullptr);
  if (!version || version->major_version < 2 ||
      (version->major_version == 2 && version->minor_version < 1)) {
    xcb_disconnect(c);
    return;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber && screens.rem; ++i) xcb_screen_next(&screens);
  if (!screens.rem) {
    xcb_disconnect(c);
    return;
  }
  connection_ = c;
  root_ = screens.data->root;
  xinputOpcode_ = xinput->major_opcode;
  notifier_ = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
  notifier_->setEnabled(false);
  connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });
}

X11ClickObserver::~X11ClickObserver() {
  delete notifier_;
  if (connection_) xcb_disconnect(connection_);
}

void X11ClickObserver::start(Handler handler, ActiveWindowHandler activeWindowChanged) {
  if (!connection_) return;
  handler_ = std::move(handler);
  activeWindowChanged_ = std::move(activeWindowChanged);
  select(true);
  watchActiveWindow(static_cast<bool>(activeWindowChanged_));
  notifier_->setEnabled(true);
}

void X11ClickObserver::stop() {
  if (!connection_) return;
  handler_ = nullptr;
  activeWindowChanged_ = nullptr;
  select(false);
  watchActiveWindow(false);
  notifier_->setEnabled(false);
  drain();
}

void X11ClickObserver::select(bool presses) {
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
  } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
         presses ? std::uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS} : 0u};
  // Waiting for the server's answer means it has the selection before any later press.
  std::free(xcb_request_check(
      connection_, xcb_input_xi_select_events_checked(connection_, root_, 1, &mask.head)));
}

void X11ClickObserver::giveKeyboardTo(std::uint32_t window) {
  if (!connection_) return;
  xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
  xcb_flush(connection_);
}

void X11ClickObserver::watchActiveWindow(bool watch) {
  if (watch && activeWindowAtom_ == 0) {
    static constexpr char name[] = "_NET_ACTIVE_WINDOW";
    auto atom = owned(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr));
    if (atom) activeWindowAtom_ = atom->atom;
  }
  // The mask is this connection's own: Qt's and other clients' selections on the root stay.
  const std::uint32_t mask = watch ? std::uint32_t{XCB_EVENT_MASK_PROPERTY_CHANGE} : 0u;
  std::free(xcb_request_check(connection_, xcb_change_window_attributes_checked(
                                               connection_, root_, XCB_CW_EVENT_MASK, &mask)));
  // Window managers write the property again with the same window now and then (on focus
  // changes they do not manage, such as the panel taking the keyboard); only a new one counts.
  if (watch && activeWindowAtom_ != 0) lastActiveWindow_ = activeWindow();
}

std::uint32_t X11ClickObserver::activeWindow() {
  auto reply = owned(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, root_, activeWindowAtom_, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
      nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return 0;
  return *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
}

void X11ClickObserver::drain() {
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
    auto owned_event = owned(event);
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
      const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
      if (change->atom == activeWindowAtom_ && activeWindowAtom_ != 0 && activeWindowChanged_) {
        const std::uint32_t active = activeWindow();
        if (active == lastActiveWindow_) continue;
        lastActiveWindow_ = active;
        // Read on: the handler may stop this observer, which drains again.
        const ActiveWindowHandler handler = activeWindowChanged_;
        handler(active);
      }
      continue;
    }
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC) continue;
    const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
    if (generic->extension != xinputOpcode_ || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
      continue;
    const auto* press = reinterpret_cast<const xcb_input_raw_button_press_event_t*>(event);
    if (handler_) handler_(static_cast<int>(press->detail));
  }
}

}  // namespace ovantic
