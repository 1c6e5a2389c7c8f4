#include "desktop/wayland/wayland_keyboard_focus.h"

#include <qpa/qplatformnativeinterface.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QAbstractEventDispatcher>
#include <QGuiApplication>
#include <QWindow>
#include <cstring>

namespace ovantic {

struct WaylandKeyboardFocus::Connection {
  wl_display* display = nullptr;
  wl_surface* watched = nullptr;
  wl_event_queue* queue = nullptr;
  wl_display* wrapper = nullptr;
  wl_registry* registry = nullptr;
  wl_seat* seat = nullptr;
  wl_keyboard* keyboard = nullptr;
  // Whether the keyboard has come to `watched` since the last report, and whether it is there.
  bool entered = false;
  bool holds = false;

  ~Connection() {
    if (keyboard) wl_keyboard_release(keyboard);
    if (seat) wl_seat_release(seat);
    if (registry) wl_registry_destroy(registry);
    if (wrapper) wl_proxy_wrapper_destroy(wrapper);
    if (queue) wl_event_queue_destroy(queue);
  }
};

namespace {

using Connection = WaylandKeyboardFocus::Connection;

void onKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) {
  close(fd);
}
void onEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
  auto* c = static_cast<Connection*>(data);
  if (surface == c->watched) c->entered = c->holds = true;
}
void onLeave(void* data, wl_keyboard*, uint32_t, wl_surface* surface) {
  auto* c = static_cast<Connection*>(data);
  if (surface == c->watched) c->holds = false;
}
void onKey(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void onModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
void onRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener = {onKeymap, onEnter,     onLeave,
                                               onKey,    onModifiers, onRepeatInfo};

void onCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
  auto* c = static_cast<Connection*>(data);
  if (c->keyboard || !(capabilities & WL_SEAT_CAPABILITY_KEYBOARD)) return;
  c->keyboard = wl_seat_get_keyboard(seat);
  wl_keyboard_add_listener(c->keyboard, &keyboardListener, c);
}
void onSeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener = {onCapabilities, onSeatName};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
  auto* c = static_cast<Connection*>(data);
  if (c->seat || std::strcmp(interface, wl_seat_interface.name) != 0) return;
  // Version 5 is the oldest whose keyboard has every event the listener above answers.
  if (version < 5) return;
  c->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 5));
  wl_seat_add_listener(c->seat, &seatListener, c);
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

}  // namespace

std::unique_ptr<WaylandKeyboardFocus> WaylandKeyboardFocus::watch(QWindow* window) {
  // Asked only by the Wayland desktop; elsewhere the native handles below come back null.
  if (!window) return nullptr;
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  if (!native) return nullptr;
  auto c = std::make_unique<Connection>();
  c->display = static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"));
  c->watched = static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
  if (!c->display || !c->watched) return nullptr;
  // A queue of our own, so that Qt never dispatches our events and we never dispatch Qt's.
  c->queue = wl_display_create_queue(c->display);
  c->wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(c->display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(c->wrapper), c->queue);
  c->registry = wl_display_get_registry(c->wrapper);
  wl_registry_add_listener(c->registry, &registryListener, c.get());
  // The seat, then its capabilities: two round trips, before the panel's first frame is out.
  if (wl_display_roundtrip_queue(c->display, c->queue) < 0 || !c->seat ||
      wl_display_roundtrip_queue(c->display, c->queue) < 0 || !c->keyboard) {
    return nullptr;
  }
  return std::unique_ptr<WaylandKeyboardFocus>(new WaylandKeyboardFocus(std::move(c)));
}

WaylandKeyboardFocus::WaylandKeyboardFocus(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {
  // Qt reads every event off the socket into the queue it belongs to; ours are dispatched each
  // time the loop has finished what it was woken for.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &WaylandKeyboardFocus::dispatch);
}

WaylandKeyboardFocus::~WaylandKeyboardFocus() = default;

void WaylandKeyboardFocus::dispatch() {
  if (wl_display_dispatch_queue_pending(connection_->display, connection_->queue) < 0) return;
  // Judged on everything read so far, not event by event: wlroots takes the keyboard away and
  // gives it back in one go whenever the seat's keyboard changes (a new one plugged in), and that
  // is no reason to close.
  if (!connection_->entered || connection_->holds) return;
  connection_->entered = false;
  emit focusLeft();
}

}  // namespace ovantic
