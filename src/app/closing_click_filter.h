#pragma once

#include <cstdint>
#include <optional>

namespace ovantic {

// Where the panel closes because its window lost focus (a toplevel window on Wayland), or because
// a press was seen elsewhere while the icon's place is unknown (a status notifier host on X11),
// that press may be the click on the tray icon itself, and the tray host then reports it as an
// activation a moment later. That activation must not open the panel again, or a click on the
// icon could never close it. Where the icon's place is known (XEmbed), a press on it is not
// "elsewhere" and its activation toggles the panel as usual.
class ClosingClickFilter {
 public:
  // How long after a focus-loss close an activation still counts as the same click.
  static constexpr std::int64_t kSameClickMs = 400;

  void panelLostFocus(std::int64_t nowMs) { lostFocusAtMs_ = nowMs; }

  // True when a tray activation at `nowMs` is a click of its own; a swallowed activation is
  // swallowed once only.
  bool acceptActivation(std::int64_t nowMs);

 private:
  std::optional<std::int64_t> lostFocusAtMs_;
};

}  // namespace ovantic
