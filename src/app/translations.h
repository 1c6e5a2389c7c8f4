#pragma once

namespace ovantic {

// Loads the program's own words and Qt's for the user's language, where there is a translation;
// English otherwise. Needs the QCoreApplication; call before any window is built.
void installTranslations();

}  // namespace ovantic
