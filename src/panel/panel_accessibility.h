#pragma once

#include <QString>
#include <QWidget>

namespace ovantic {

// What assistive technology (Orca through AT-SPI) is told about the panel's own widgets: a card
// that copies when clicked is a button whose press action copies, the credit is a link, and open
// menus are among the application's windows. Installed once per process, before the application's
// accessibility bridge first asks; the widgets themselves stay plain QWidget subclasses.
void installPanelAccessibility();

// Qt tells assistive technology of every name or description set, changed or not, and each redraw
// sets them all: Orca then falls seconds behind working through the flood. These tell of a change
// only.
void updateAccessibleName(QWidget* widget, const QString& name);
void updateAccessibleDescription(QWidget* widget, const QString& description);

// Has a screen reader say a text once, wherever the keyboard is: the result after typing pauses,
// what a copy put on the clipboard. It is an invisible notification that is shown anew for each
// text, which Orca speaks on every Qt; a changed name or description of the focused widget is
// dropped by Orca 43 (Qt 6.4 sends the object, not the text, with the change).
class Announcer : public QWidget {
  Q_OBJECT

 public:
  explicit Announcer(QWidget* parent);
  void announce(const QString& text);
};

}  // namespace ovantic
