#pragma once

#include <QPoint>

class QScreen;
class QWindow;

namespace ovantic {

// Whether a window can be put on the compositor's top layer (the wlr layer-shell protocol, which
// KWin and wlroots compositors offer): built with LayerShellQt, running on Wayland, offered by
// this compositor, and not under sway, whose 1.10 takes the keyboard from such a panel as it maps.
// Asked of the compositor once per run.
bool layerShellAvailable();

// Makes `window`, not shown yet, a surface on the top layer of `screen`'s output with its top-left
// corner at `topLeft` (global coordinates), taking the keyboard while it is shown and giving it up
// when the user goes elsewhere. A layer surface has no task, no title bar, and goes exactly where
// it is put, which is what a panel hanging from a tray icon needs and a toplevel cannot have.
void putOnTopLayer(QWindow* window, QScreen* screen, QPoint topLeft);

}  // namespace ovantic
