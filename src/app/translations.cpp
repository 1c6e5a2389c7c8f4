#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ovantic {

namespace {

QTranslator& loadedOwnTranslations() {
  // Lives as long as the program, so it outlasts the application it is installed in.
  static QTranslator own;
  static const bool loaded = own.load(QLocale(), QStringLiteral("ovantic"), QStringLiteral("_"),
                                      QStringLiteral(":/ovantic/i18n"));
  (void)loaded;
  return own;
}

}  // namespace

const QTranslator& ownTranslations() {
  return loadedOwnTranslations();
}

void installTranslations() {
  QTranslator& own = loadedOwnTranslations();
  if (own.isEmpty()) return;
  QCoreApplication::installTranslator(&own);
  // Qt's own words (a dialog's Close button) follow where the system has them.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
}

}  // namespace ovantic
