#pragma once

#include <QPixmap>
#include <QString>

namespace ovantic {

// A flag emoji as a picture `height` logical pixels high, for the given device pixel ratio.
//
// Drawn as text at a small size, the colour emoji font scales its large bitmaps down with a plain
// bilinear filter, and the flags came out soft and smaller than the capitals beside them. Here the
// flag is drawn once at the font's own bitmap size, cut to its visible edges and reduced with an
// area-averaging filter, so it stays crisp at any size. A null pixmap when `flag` draws nothing.
QPixmap flagPixmap(const QString& flag, int height, qreal devicePixelRatio);

}  // namespace ovantic
