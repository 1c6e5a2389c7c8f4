#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ovantic {

void installTranslations() {
  const QLocale locale;
  // Owned by the application: both live as long as it does.
  auto* own = new QTranslator(QCoreApplication::instance());
  if (own->load(locale, QStringLiteral("ovantic"), QStringLiteral("_"),
                QStringLiteral(":/ovantic/i18n"))) {
    QCoreApplication::installTranslator(own);
  } else {
    delete own;
    return;
  }
  // Qt's own words (a dialog's Close button) follow where the system has them.
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
}

}  // namespace ovantic
