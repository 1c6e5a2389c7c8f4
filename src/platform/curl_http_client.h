#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/http_client.h"

namespace ovantic {

struct CurlHttpClientOptions {
  std::string caFile;                // empty: the system's CA bundle
  std::chrono::seconds timeout{60};  // connect (incl. TLS handshake) and no-progress limit
};

// One client serves every panel for the whole run, like a platform's shared session: a worker
// thread it owns drives all transfers. Destroying it aborts what is in flight and joins; every
// aborted request still completes, once, with the error "aborted". A client released from one of
// its own completions cannot join its own thread and lets it wind down by itself instead.
class CurlHttpClient : public HttpClient {
 public:
  using Options = CurlHttpClientOptions;
  explicit CurlHttpClient(Options options = {});
  ~CurlHttpClient() override;

  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  void get(const std::string& url, std::function<void(Reply)> done) override;

 private:
  class Worker;
  std::shared_ptr<Worker> worker_;
};

}  // namespace ovantic
