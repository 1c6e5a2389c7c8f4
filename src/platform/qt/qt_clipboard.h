#pragma once

#include "platform/clipboard.h"

namespace ovantic {

// The desktop clipboard through QGuiApplication::clipboard().
class QtClipboard : public Clipboard {
 public:
  void replaceWithText(std::string_view text) override;
};

}  // namespace ovantic
