// Feeds arbitrary bytes to the rate reply parser. Besides not crashing, a table may only come
// out of a reply that really was one: writing the table back as a reply must read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "rates/rates_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using ovantic::RatesReplyOutcome;
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const ovantic::RatesReply reply = ovantic::parseRatesReply(body);
  if (reply.outcome != RatesReplyOutcome::rates) {
    if (!reply.rates.empty()) std::abort();
    return 0;
  }
  if (body.find('\0') != std::string_view::npos) std::abort();
  const nlohmann::json again = {{"rates", reply.rates}};
  const ovantic::RatesReply reread = ovantic::parseRatesReply(again.dump());
  if (reread.outcome != RatesReplyOutcome::rates || reread.rates.size() != reply.rates.size()) {
    std::abort();
  }
  return 0;
}
