#pragma once

#include <string_view>

namespace ovantic {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Drops whatever the clipboard held, of any type, and leaves one plain-text item.
  virtual void replaceWithText(std::string_view text) = 0;
};

}  // namespace ovantic
