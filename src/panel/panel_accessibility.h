#pragma once

#include <QString>

class QWidget;

namespace ovantic {

// What assistive technology (Orca through AT-SPI) is told about the panel's own widgets: a card
// that copies when clicked is a button whose press action copies, the credit is a link, and open
// menus are among the application's windows. Installed once per process, before the application's
// accessibility bridge first asks; the widgets themselves stay plain QWidget subclasses.
void installPanelAccessibility();

// Has a screen reader speak `text` on behalf of `focused`, the widget that holds the keyboard.
// Qt 6.8 carries a real announcement; older Qt has none, so the focused widget's description
// becomes the text, a change that Orca speaks for the object with the focus.
void announce(QWidget* focused, const QString& text);

}  // namespace ovantic
