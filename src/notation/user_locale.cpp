#include "notation/user_locale.h"

#include <cstdlib>

namespace ovantic {

std::string icuLocaleIdFromPosix(std::string_view posix) {
  const std::string_view name = posix.substr(0, posix.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") return "en_US";
  return std::string(name);
}

std::string resolveLocaleId(std::string_view configured) {
  if (!configured.empty()) return std::string(configured);
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return icuLocaleIdFromPosix(value);
  }
  return "en_US";
}

}  // namespace ovantic
