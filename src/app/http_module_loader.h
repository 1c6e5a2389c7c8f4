#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "platform/curl_http_client.h"

namespace ovantic {

// Loads the HTTPS module from the first of `dirs` that has it and makes a client with `options`.
// The module stays loaded for the rest of the run, since the client's code lives in it. Null,
// with the reasons in `error`, when no module can be loaded.
std::unique_ptr<HttpClient> loadHttpClient(const QStringList& dirs,
                                           const CurlHttpClientOptions& options, QString* error);

// Where the module is looked for: beside the executable (a build tree), then its installed place
// relative to the executable.
QStringList httpModuleDirs();

}  // namespace ovantic
