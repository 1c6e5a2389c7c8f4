#include "rates/currency_catalogue.h"

namespace ovantic {

const std::vector<std::string>& catalogueCodes() {
  static const std::vector<std::string> codes{"USD", "EUR", "GBP", "JPY", "CAD",
                                              "AUD", "CHF", "CNY", "INR", "MXN"};
  return codes;
}

// Flags are the two regional-indicator letters of the region; EUR gets the EU's own flag.
const std::map<std::string, std::string>& catalogueFlags() {
  static const std::map<std::string, std::string> flags{
      {"USD", "\U0001F1FA\U0001F1F8"}, {"EUR", "\U0001F1EA\U0001F1FA"},
      {"GBP", "\U0001F1EC\U0001F1E7"}, {"JPY", "\U0001F1EF\U0001F1F5"},
      {"CAD", "\U0001F1E8\U0001F1E6"}, {"AUD", "\U0001F1E6\U0001F1FA"},
      {"CHF", "\U0001F1E8\U0001F1ED"}, {"CNY", "\U0001F1E8\U0001F1F3"},
      {"INR", "\U0001F1EE\U0001F1F3"}, {"MXN", "\U0001F1F2\U0001F1FD"},
  };
  return flags;
}

const std::map<std::string, std::string>& catalogueSymbols() {
  static const std::map<std::string, std::string> symbols{
      {"USD", "$"}, {"EUR", "\u20AC"}, {"GBP", "\u00A3"}, {"JPY", "\u00A5"}, {"CAD", "$"},
      {"AUD", "$"}, {"CHF", "Fr"},     {"CNY", "\u00A5"}, {"INR", "\u20B9"}, {"MXN", "$"},
  };
  return symbols;
}

std::string flagFor(std::string_view code) {
  const auto& flags = catalogueFlags();
  const auto found = flags.find(std::string(code));
  return found != flags.end() ? found->second : std::string();
}

std::string symbolFor(std::string_view code) {
  const auto& symbols = catalogueSymbols();
  const auto found = symbols.find(std::string(code));
  return found != symbols.end() ? found->second : std::string(code);
}

}  // namespace ovantic
