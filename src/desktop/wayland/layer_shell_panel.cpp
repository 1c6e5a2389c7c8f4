#include "desktop/wayland/layer_shell_panel.h"

#ifndef OVANTIC_HAVE_LAYER_SHELL

// Built without LayerShellQt (Debian 12 has it for Qt 5 only): panels stay toplevels.
namespace ovantic {
bool layerShellAvailable() {
  return false;
}
void putOnTopLayer(QWindow*, QScreen*, QPoint) {}
}  // namespace ovantic

#else

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <LayerShellQt/Window>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <cstring>

namespace ovantic {

namespace {

void onGlobal(void* found, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0) *static_cast<bool*>(found) = true;
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

// LayerShellQt would find out only as the window is made, with a warning on stderr each time
// (GNOME offers no layer shell); one round trip of our own asks first.
bool compositorOffersLayerShell() {
  QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
  auto* display = native
                      ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
                      : nullptr;
  if (!display) return false;
  bool found = false;
  wl_event_queue* queue = wl_display_create_queue(display);
  auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
  wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
  wl_registry* registry = wl_display_get_registry(wrapper);
  wl_registry_add_listener(registry, &registryListener, &found);
  if (wl_display_roundtrip_queue(display, queue) < 0) found = false;
  wl_registry_destroy(registry);
  wl_proxy_wrapper_destroy(wrapper);
  wl_event_queue_destroy(queue);
  return found;
}

// sway up to 1.10 (Debian 13's) hands the keyboard of a layer surface that asks for it on demand
// back to the window that had it, within a millisecond of giving it: the panel would lose the
// keyboard as it opens over any focused window, which is how it learns the user went elsewhere,
// and close at once. (Asking for the keyboard exclusively keeps it open, but then a click on
// another window no longer closes it.) sway centres the panel as a toplevel instead, which works.
bool swaySession() {
  return qEnvironmentVariableIsSet("SWAYSOCK") ||
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"sway", Qt::CaseInsensitive);
}

}  // namespace

bool layerShellAvailable() {
  static const bool available =
      QGuiApplication::platformName().startsWith(u"wayland", Qt::CaseInsensitive) &&
      !swaySession() && compositorOffersLayerShell();
  return available;
}

void putOnTopLayer(QWindow* window, QScreen* screen, QPoint topLeft) {
  if (screen) window->setScreen(screen);
  auto* layer = LayerShellQt::Window::get(window);
  layer->setScope(QStringLiteral("ovantic"));
  layer->setLayer(LayerShellQt::Window::LayerTop);
  // Margins from the output's own edges: KWin counts bars that are no layer surfaces (Plasma's
  // panels) in no one's exclusive zone, so only the edges mean the same everywhere.
  layer->setExclusiveZone(-1);
  layer->setAnchors(LayerShellQt::Window::Anchors(LayerShellQt::Window::AnchorTop |
                                                  LayerShellQt::Window::AnchorLeft));
  const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
  layer->setMargins(QMargins(topLeft.x() - origin.x(), topLeft.y() - origin.y(), 0, 0));
  // On demand, not exclusive: a click into another window takes the keyboard away, which is how
  // the panel learns that the user went elsewhere.
  layer->setKeyboardInteractivity(LayerShellQt::Window::KeyboardInteractivityOnDemand);
}

}  // namespace ovantic

#endif
