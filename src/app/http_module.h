#pragma once

#include "platform/curl_http_client.h"

// The one entry point of the HTTPS module: a new CurlHttpClient, owned by the caller. Kept free of
// Qt so the module links nothing but curl.
extern "C" ovantic::HttpClient* ovantic_create_http_client(
    const ovantic::CurlHttpClientOptions* options);

namespace ovantic {

using CreateHttpClientFn = HttpClient* (*)(const CurlHttpClientOptions*);
inline constexpr const char* kCreateHttpClientSymbol = "ovantic_create_http_client";
inline constexpr const char* kHttpModuleName = "ovantic-http";

}  // namespace ovantic
