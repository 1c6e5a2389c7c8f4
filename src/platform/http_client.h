#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ovantic {

class HttpClient {
 public:
  virtual ~HttpClient() = default;

  // `error` set means the transfer failed; the body may still hold what arrived before that.
  struct Reply {
    std::optional<std::string> body;
    std::optional<std::string> error;
  };

  // Starts one GET; `done` runs exactly once, on any thread.
  virtual void get(const std::string& url, std::function<void(Reply)> done) = 0;
};

}  // namespace ovantic
