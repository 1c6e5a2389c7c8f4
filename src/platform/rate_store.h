#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ovantic {

// Where the last good rate table is kept between runs, as opaque bytes; what they mean is the
// engine's business. Both calls run on the main thread and are small enough to be synchronous.
class RateStore {
 public:
  virtual ~RateStore() = default;
  // The bytes last saved, or nothing when there are none (or they cannot be read).
  virtual std::optional<std::string> load() = 0;
  // Replaces what is kept as one step: a reader sees the old bytes or the new, never a mix.
  virtual bool save(std::string_view bytes) = 0;
};

}  // namespace ovantic
