// The HTTPS client as a module the app loads at its first rate request. libcurl and the TLS
// libraries behind it are then mapped only once the panel first opens, not at every login.
#include "app/http_module.h"

#include <memory>

#include "platform/curl_http_client.h"

extern "C" ovantic::HttpClient* ovantic_create_http_client(
    const ovantic::CurlHttpClientOptions* options) {
  return new ovantic::CurlHttpClient(options ? *options : ovantic::CurlHttpClientOptions{});
}
