#include "app/http_module_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include "app/http_module.h"
#include "platform/http_client.h"

#ifndef OVANTIC_HTTP_MODULE_RELDIR
#define OVANTIC_HTTP_MODULE_RELDIR "../lib/ovantic"
#endif

namespace ovantic {

std::unique_ptr<HttpClient> loadHttpClient(const QStringList& dirs,
                                           const CurlHttpClientOptions& options, QString* error) {
  QStringList reasons;
  for (const QString& dir : dirs) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(kHttpModuleName));
    // Never unloaded: the client made from it runs its code until the process ends.
    QLibrary library(path);
    library.setLoadHints(QLibrary::PreventUnloadHint);
    auto create = reinterpret_cast<CreateHttpClientFn>(library.resolve(kCreateHttpClientSymbol));
    if (create) {
      std::unique_ptr<HttpClient> client(create(&options));
      if (client) return client;
      reasons << path + QStringLiteral(": made no client");
      continue;
    }
    reasons << library.errorString();
  }
  if (error) {
    *error = reasons.isEmpty() ? QStringLiteral("no place to look for the HTTPS module")
                               : reasons.join(QStringLiteral("; "));
  }
  return nullptr;
}

QStringList httpModuleDirs() {
  const QString here = QCoreApplication::applicationDirPath();
  return {here, QDir(here).filePath(QStringLiteral(OVANTIC_HTTP_MODULE_RELDIR))};
}

}  // namespace ovantic
