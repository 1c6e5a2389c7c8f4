#include "app/closing_click_filter.h"

namespace ovantic {

bool ClosingClickFilter::acceptActivation(std::int64_t nowMs) {
  const auto lostAt = lostFocusAtMs_;
  lostFocusAtMs_.reset();
  return !lostAt || nowMs < *lostAt || nowMs - *lostAt > kSameClickMs;
}

}  // namespace ovantic
