#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// A few small texts kept for the user across runs (the chosen pair). A store that cannot be read
// answers nothing, and one that cannot be written forgets: neither is worth troubling anyone with.
class Preferences {
 public:
  virtual ~Preferences() = default;
  virtual std::optional<std::string> value(std::string_view key) const = 0;
  virtual void setValue(std::string_view key, std::string_view value) = 0;
};

}  // namespace ovantic
