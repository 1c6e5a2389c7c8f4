#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/http_client.h"

namespace ovantic {

struct QtHttpClientOptions {
  std::string caFile;                // empty: the system's CA set; else replaces it
  std::chrono::seconds timeout{60};  // no progress for this long, connection set-up included
  // The whole request, however steadily bytes trickle in, redirects included.
  std::chrono::milliseconds deadline = std::chrono::seconds(20);
  std::size_t maxBodyBytes = kMaxReplyBytes;  // a longer reply is abandoned with an error
};

// HTTPS through Qt Network, on the event loop of the thread that made the client and calls get().
// Certificates are always verified, only https is spoken (redirects included), and the system's
// proxy settings apply. A request ends after `timeout` of silence or at `deadline`, whichever
// comes first. `done` runs on that thread, exactly once; a request still out when the client goes
// is abandoned at once and completes with an error then, so a completion can never come from a
// client that is gone. Qt maps its TLS stack at the first request, not at launch.
class QtHttpClient : public HttpClient {
 public:
  using Options = QtHttpClientOptions;
  explicit QtHttpClient(Options options = {});
  ~QtHttpClient() override;

  QtHttpClient(const QtHttpClient&) = delete;
  QtHttpClient& operator=(const QtHttpClient&) = delete;

  void get(const std::string& url, std::function<void(Reply)> done) override;

 private:
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace ovantic
