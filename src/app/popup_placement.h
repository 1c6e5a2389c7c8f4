#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

namespace ovantic {

// Where the panel goes, worked out from what the desktop tells us. Any of it may be missing:
// a tray that has not embedded the icon yet reports an empty geometry, and under Wayland there is
// no screen for a global point at all.
struct PopupAnchor {
  QRect icon;                 // the tray icon in global coordinates; empty when unknown
  QPoint cursor;              // where the click happened, the fallback anchor
  std::optional<QRect> area;  // usable area of the screen under the anchor, if known
};

// Where a click on the icon is all that is known and nothing tells where the bars are (a status
// notifier host on Wayland, where every screen counts as usable): the bar runs along the top or the
// bottom edge of `screen`, whichever half the click is in, and the icon sits halfway across the
// bar's thickness, so the bar reaches twice as far in from that edge as the click. The anchor
// stands for the icon across the whole bar, so the panel hangs against the bar's inner edge.
PopupAnchor anchorAtBar(QPoint click, const QRect& screen);

// Top-left corner for a popup of `size`: centred under the icon, or above it when there is no
// room below (a tray at the bottom of the screen), then moved so it lies wholly in `area`.
QPoint popupPosition(QSize size, const PopupAnchor& anchor);

// The tallest popup that fits wholly below or wholly above the anchor, so that it never covers
// any of the tray; the whole area for a pointer far from every edge; unbounded when the area is
// unknown.
int popupRoom(const PopupAnchor& anchor);

}  // namespace ovantic
