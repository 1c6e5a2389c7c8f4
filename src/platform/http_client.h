#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// A rate table is a few KiB: a reply, or a kept copy of one, far past that is no rate table and
// is not read.
inline constexpr std::size_t kMaxReplyBytes = 4u << 20;

// Only a secure address with something after the scheme is worth a request; anything else would
// go out as plain text. The engine asks before it calls a client, and the client again, since
// anyone may call it.
constexpr bool isSecureAddress(std::string_view url) {
  constexpr std::string_view scheme = "https://";
  if (url.size() <= scheme.size()) return false;
  for (std::size_t i = 0; i < scheme.size(); ++i) {
    const char c = url[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != scheme[i]) return false;
  }
  return true;
}

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
