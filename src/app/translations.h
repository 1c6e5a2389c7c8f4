#pragma once

class QTranslator;

namespace ovantic {

// The program's own words for the user's language, loaded once; empty where there is no
// translation. Usable before the QCoreApplication exists (the command line is read then).
const QTranslator& ownTranslations();

// Installs the program's own words and Qt's for the user's language, where there is a translation;
// English otherwise. Needs the QCoreApplication; call before any window is built.
void installTranslations();

}  // namespace ovantic
