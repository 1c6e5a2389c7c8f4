#include "app/popup_placement.h"

#include <QWidget>
#include <algorithm>

namespace ovantic {

namespace {

// How far into the screen a panel or dock holding a tray reaches, at most.
constexpr int kTrayDepth = 64;

// Keeps [start, start + length) inside [low, high]; a popup longer than the screen keeps its
// start edge visible, since that is where the panel's header is.
int clampSpan(int start, int length, int low, int high) {
  if (length >= high - low + 1) return low;
  return std::clamp(start, low, high - length + 1);
}

QRect targetOf(const PopupAnchor& anchor) {
  return anchor.icon.isEmpty() ? QRect(anchor.cursor, QSize(1, 1)) : anchor.icon;
}

}  // namespace

int popupRoom(const PopupAnchor& anchor) {
  if (!anchor.area || anchor.area->isEmpty()) return QWIDGETSIZE_MAX;
  const QRect target = targetOf(anchor);
  // A pointer well away from every screen edge is on no tray (the panel was asked for by a second
  // launch or a key binding): covering it costs nothing, and a scroll bar would.
  const QRect& area = *anchor.area;
  if (anchor.icon.isEmpty() &&
      area.marginsRemoved(QMargins(kTrayDepth, kTrayDepth, kTrayDepth, kTrayDepth))
          .contains(anchor.cursor)) {
    return area.height();
  }
  return std::max(anchor.area->bottom() - target.bottom(), target.top() - anchor.area->top());
}

PopupAnchor anchorAtBar(QPoint click, const QRect& screen) {
  const bool topBar = click.y() - screen.top() < screen.bottom() - click.y();
  const int depth = 2 * (topBar ? click.y() - screen.top() : screen.bottom() - click.y());
  const int across = std::max(1, depth);
  const QRect bar(click.x(), topBar ? screen.top() : screen.bottom() - across + 1, 1, across);
  return {bar, click, screen};
}

QPoint popupPosition(QSize size, const PopupAnchor& anchor) {
  const QRect target = targetOf(anchor);
  const int x = target.center().x() - size.width() / 2;
  const int below = target.bottom() + 1;
  const int above = target.top() - size.height();
  if (!anchor.area || anchor.area->isEmpty()) return {x, below};

  const QRect& area = *anchor.area;
  const int roomBelow = area.bottom() - target.bottom();
  const int roomAbove = target.top() - area.top();
  const int y = (roomBelow >= size.height() || roomBelow >= roomAbove) ? below : above;
  return {clampSpan(x, size.width(), area.left(), area.right()),
          clampSpan(y, size.height(), area.top(), area.bottom())};
}

}  // namespace ovantic
