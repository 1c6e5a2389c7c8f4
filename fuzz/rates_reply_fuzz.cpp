// Feeds arbitrary bytes to the rate reply parsers of both services and to the reader of the kept
// rates. Besides not crashing, a table may only come out of a reply that really was one: writing
// the table back as a reply must read the same; and a kept file gives usable rates or none.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "rates/currency_details.h"
#include "rates/kept_rates.h"
#include "rates/rate_rules.h"
#include "rates/rates_reply.h"

namespace {

// Every table that comes out has the dollar at 1 and only plausible rates besides.
void checkRates(const std::map<std::string, double>& rates) {
  for (const auto& [code, rate] : rates) {
    if (code == "USD" ? rate != 1.0 : !ovantic::isPlausibleRate(rate)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using ovantic::RatesReplyOutcome;
  const std::string_view body(reinterpret_cast<const char*>(data), size);

  const ovantic::RatesReply second = ovantic::parseCurrencyApiReply(body);
  if (second.outcome != RatesReplyOutcome::rates && !second.rates.empty()) std::abort();
  checkRates(second.rates);
  for (const auto& entry : second.rates) {
    if (!ovantic::isCommonCurrency(entry.first)) std::abort();
  }

  if (const std::optional<ovantic::KeptRates> kept = ovantic::decodeKeptRates(body)) {
    checkRates(kept->rates);
    const std::optional<ovantic::KeptRates> again =
        ovantic::decodeKeptRates(ovantic::encodeKeptRates(*kept));
    if (!again || again->rates != kept->rates || again->fetchedAt != kept->fetchedAt) {
      std::abort();
    }
  }

  const ovantic::RatesReply reply = ovantic::parseRatesReply(body);
  if (reply.outcome != RatesReplyOutcome::rates) {
    if (!reply.rates.empty()) std::abort();
    return 0;
  }
  if (body.find('\0') != std::string_view::npos) std::abort();
  checkRates(reply.rates);
  const nlohmann::json again = {{"rates", reply.rates}};
  const ovantic::RatesReply reread = ovantic::parseRatesReply(again.dump());
  if (reread.outcome != RatesReplyOutcome::rates || reread.rates.size() != reply.rates.size()) {
    std::abort();
  }
  return 0;
}
