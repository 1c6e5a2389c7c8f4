#include "rates/currency_catalogue.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <set>

namespace ovantic {
namespace {

std::string folded(std::string_view text) {
  icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  std::string out;
  unicode.foldCase().toUTF8String(out);
  return out;
}

bool isOneOfTheTen(std::string_view code) {
  const auto& ten = catalogueCodes();
  return std::find(ten.begin(), ten.end(), code) != ten.end();
}

}  // namespace

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
  return found != flags.end() ? found->second : regionFlag(currencyRegion(code));
}

std::string symbolFor(std::string_view code) {
  const auto& symbols = catalogueSymbols();
  const auto found = symbols.find(std::string(code));
  return found != symbols.end() ? found->second : currencySign(code);
}

std::vector<std::string> offeredCodes(const RateTable& rates,
                                      const std::vector<std::string>& recent,
                                      const std::vector<std::string>& alsoOffered) {
  std::vector<std::string> codes = catalogueCodes();
  std::set<std::string> taken(codes.begin(), codes.end());
  for (const std::string& code : recent) {
    if (isCurrencyCode(code) && taken.insert(code).second) codes.push_back(code);
  }
  std::vector<std::string> rest;
  for (const auto& [code, rate] : rates) {
    if (isIsoCurrency(code) && taken.insert(code).second) rest.push_back(code);
  }
  for (const std::string& code : alsoOffered) {
    if (isCurrencyCode(code) && taken.insert(code).second) rest.push_back(code);
  }
  std::vector<std::pair<std::string, std::string>> byName;
  byName.reserve(rest.size());
  for (std::string& code : rest) byName.emplace_back(folded(currencyDetails(code).name), code);
  std::sort(byName.begin(), byName.end());
  for (auto& [name, code] : byName) codes.push_back(std::move(code));
  return codes;
}

std::vector<std::string> withRecentCurrency(std::vector<std::string> recent,
                                            std::string_view code) {
  std::erase(recent, code);
  if (isCurrencyCode(code) && !isOneOfTheTen(code))
    recent.insert(recent.begin(), std::string(code));
  std::erase_if(recent, [](const std::string& kept) { return !isCurrencyCode(kept); });
  if (recent.size() > kRecentCurrencyCount) recent.resize(kRecentCurrencyCount);
  return recent;
}

bool currencyMatches(const CurrencyDetails& details, std::string_view query) {
  std::string haystack = details.code + "\n" + details.name;
  for (const std::string& country : details.countries) haystack += "\n" + country;
  haystack = folded(haystack);
  const std::string wanted = folded(query);
  std::size_t start = 0;
  while (start < wanted.size()) {
    const std::size_t end = std::min(wanted.find(' ', start), wanted.size());
    if (end > start && haystack.find(wanted.substr(start, end - start)) == std::string::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

std::vector<std::string> searchCurrencies(const std::vector<std::string>& codes,
                                          std::string_view query) {
  std::vector<std::string> found;
  std::string exact = folded(query);
  for (const std::string& code : codes) {
    if (!currencyMatches(currencyDetails(code), query)) continue;
    if (folded(code) == exact) {
      found.insert(found.begin(), code);
    } else {
      found.push_back(code);
    }
  }
  return found;
}

bool isCurrencyCode(std::string_view text) {
  return text.size() == 3 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

}  // namespace ovantic
