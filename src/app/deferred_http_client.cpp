#include "app/deferred_http_client.h"

namespace ovantic {

// Only the UI thread starts requests, so the first one can make the client without a lock.
void DeferredHttpClient::get(const std::string& url, std::function<void(Reply)> done) {
  if (!client_) client_ = factory_ ? factory_() : nullptr;
  if (!client_) {
    // The promise to run `done` exactly once holds even when no client could be made; the next
    // request tries to make one again.
    done(Reply{std::nullopt, std::string("no HTTP client")});
    return;
  }
  client_->get(url, std::move(done));
}

}  // namespace ovantic
