#include "rates/kept_rates.h"

#include <exception>
#include <nlohmann/json.hpp>

#include "rates/rate_rules.h"

namespace ovantic {
namespace {

// Names the file's own format, so a file of another program or of a later layout is not read as
// rates.
constexpr const char* kFormat = "ovantic-kept-rates-1";
// A kept table is a few kilobytes; anything near the reply cap is not one of ours.
constexpr std::size_t kMaxBytes = 4u << 20;

}  // namespace

std::string encodeKeptRates(const KeptRates& kept) {
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(kept.fetchedAt.time_since_epoch()).count();
  const nlohmann::json document = {{"format", kFormat},
                                   {"date", kept.date},
                                   {"source", kept.source},
                                   {"fetched", seconds},
                                   {"rates", kept.rates}};
  return document.dump();
}

std::optional<KeptRates> decodeKeptRates(std::string_view bytes) {
  if (bytes.size() > kMaxBytes || bytes.find('\0') != std::string_view::npos) return std::nullopt;
  try {
    const nlohmann::json document =
        nlohmann::json::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    const auto format = document.find("format");
    if (format == document.end() || *format != kFormat) return std::nullopt;
    const auto date = document.find("date");
    const auto source = document.find("source");
    const auto fetched = document.find("fetched");
    const auto rates = document.find("rates");
    if (date == document.end() || !date->is_string() || source == document.end() ||
        !source->is_string() || fetched == document.end() || !fetched->is_number_integer() ||
        rates == document.end()) {
      return std::nullopt;
    }
    KeptRates kept;
    kept.date = date->get<std::string>();
    kept.source = source->get<std::string>();
    if (!kept.date.empty() && !calendarDay(kept.date)) return std::nullopt;
    const auto seconds = fetched->get<std::int64_t>();
    // Before 2000 or past 2200: a number no clock of ours wrote, and one that would overflow.
    if (seconds < 946684800 || seconds > 7258118400) return std::nullopt;
    kept.fetchedAt = std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    // The same rule as a reply's, so a table that was taken is never one the next run refuses.
    std::optional<RateTable> table = readRateTable(*rates, codeAsWritten);
    if (!table) return std::nullopt;
    kept.rates = std::move(*table);
    return kept;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace ovantic
