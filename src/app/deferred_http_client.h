#pragma once

#include <functional>
#include <memory>

#include "platform/http_client.h"

namespace ovantic {

// Makes the run's one real client at its first request and keeps it from then on. Until the
// panel first opens, a tray app has no use for a TLS stack: starting it later keeps launch
// quicker and the idle process several megabytes smaller.
class DeferredHttpClient : public HttpClient {
 public:
  using Factory = std::function<std::unique_ptr<HttpClient>()>;

  explicit DeferredHttpClient(Factory factory) : factory_(std::move(factory)) {}

  void get(const std::string& url, std::function<void(Reply)> done) override;

  bool started() const { return client_ != nullptr; }

 private:
  Factory factory_;
  std::unique_ptr<HttpClient> client_;
};

}  // namespace ovantic
