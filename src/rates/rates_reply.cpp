#include "rates/rates_reply.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

namespace ovantic {
namespace {

using Json = nlohmann::json;

// Walks the reply event by event and keeps only the "rates" member of the top-level object. It
// never stops early on a wrong shape: whether the rest is JSON at all decides which text the user
// sees, so the parser has to reach the end.
class RatesCollector {
 public:
  bool null() { return value(Kind::other); }
  bool boolean(bool) { return value(Kind::other); }
  bool number_integer(Json::number_integer_t v) { return number(static_cast<double>(v)); }
  bool number_unsigned(Json::number_unsigned_t v) { return number(static_cast<double>(v)); }
  bool number_float(Json::number_float_t v, const Json::string_t&) { return number(v); }
  bool string(Json::string_t&) { return value(Kind::other); }
  bool binary(Json::binary_t&) { return value(Kind::other); }

  bool start_object(std::size_t) {
    value(Kind::object);
    ++depth_;
    return true;
  }
  bool end_object() {
    --depth_;
    if (depth_ == 1) inRates_ = false;
    return true;
  }
  bool start_array(std::size_t) {
    value(Kind::array);
    ++depth_;
    return true;
  }
  bool end_array() {
    --depth_;
    return true;
  }

  bool key(Json::string_t& name) {
    if (depth_ == 1) {
      keyIsRates_ = name == "rates";
    } else if (depth_ == 2 && inRates_) {
      code_ = std::move(name);
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    malformed_ = true;
    return false;
  }

  RatesReply result() && {
    RatesReply reply;
    if (malformed_ || fragment_) {
      reply.outcome = RatesReplyOutcome::notJson;
    } else if (!topIsObject_ || !sawRates_ || !ratesIsObject_ || !allRatesAreNumbers()) {
      reply.outcome = RatesReplyOutcome::wrongShape;
    } else {
      reply.outcome = RatesReplyOutcome::rates;
      for (auto& [code, rate] : rates_) reply.rates.emplace(code, *rate);
    }
    return reply;
  }

 private:
  enum class Kind { number, object, array, other };

  bool number(double v) {
    if (depth_ == 2 && inRates_) rates_.insert_or_assign(code_, v);
    return value(Kind::number);
  }

  bool allRatesAreNumbers() const {
    for (const auto& [code, rate] : rates_) {
      if (!rate) return false;
    }
    return true;
  }

  // Called for every value, containers included, before the depth moves into them.
  bool value(Kind kind) {
    if (depth_ == 0) {
      // A strict parse has exactly one value at the top; a scalar there is a fragment, which the
      // reply may not be.
      topIsObject_ = kind == Kind::object;
      fragment_ = kind != Kind::object && kind != Kind::array;
    } else if (depth_ == 1 && topIsObject_ && keyIsRates_) {
      // A repeated "rates" member replaces the earlier one, as it would in a document.
      keyIsRates_ = false;
      sawRates_ = true;
      ratesIsObject_ = kind == Kind::object;
      inRates_ = kind == Kind::object;
      rates_.clear();
    } else if (depth_ == 2 && inRates_ && kind != Kind::number) {
      // Kept per code rather than failing at once: a later duplicate of the code replaces it, as
      // it would in a document.
      rates_.insert_or_assign(code_, std::nullopt);
    }
    return true;
  }

  std::size_t depth_ = 0;
  bool malformed_ = false;
  bool fragment_ = false;
  bool topIsObject_ = false;
  bool keyIsRates_ = false;
  bool sawRates_ = false;
  bool ratesIsObject_ = false;
  bool inRates_ = false;
  std::string code_;
  std::map<std::string, std::optional<double>> rates_;
};

}  // namespace

RatesReply parseRatesReply(std::string_view body) {
  // JSON has no place for a raw NUL byte, but the parser takes one for the end of its input and
  // would accept whatever followed.
  if (body.find('\0') != std::string_view::npos) return RatesReply{};
  RatesCollector collector;
  try {
    Json::sax_parse(body.begin(), body.end(), &collector, nlohmann::json::input_format_t::json,
                    /*strict=*/true, /*ignore_comments=*/false);
  } catch (const std::exception&) {
    // Only allocation can throw here; a reply we could not hold is no reply.
    return RatesReply{};
  }
  return std::move(collector).result();
}

}  // namespace ovantic
