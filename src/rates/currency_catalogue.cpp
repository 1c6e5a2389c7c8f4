#include "rates/currency_catalogue.h"

#include <unicode/unistr.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

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

struct OtherNames {
  const char* code;
  std::vector<const char*> money;   // what an amount may be written in, lower case
  std::vector<const char*> places;  // what a search may look for
};

// What people call these besides ICU's names.
const std::vector<OtherNames>& otherNames() {
  static const std::vector<OtherNames> names{
      {"USD", {"greenback", "greenbacks", "buck", "bucks"}, {"usa", "america"}},
      {"GBP", {"sterling", "quid"}, {"britain", "great britain", "uk", "england", "scotland"}},
      {"CNY", {"renminbi", "rmb"}, {}},
      {"EUR", {}, {"europe", "eurozone"}},
      {"AED", {}, {"uae", "dubai", "abu dhabi", "emirati"}},
  };
  return names;
}

// After the ten, the currencies most traded worldwide: a name several currencies share means
// one of these before the others.
constexpr std::string_view kWidelyTraded[] = {
    "HKD", "SGD", "SEK", "KRW", "NOK", "NZD", "TWD", "ZAR", "BRL", "DKK", "PLN",
    "THB", "ILS", "IDR", "CZK", "AED", "TRY", "HUF", "CLP", "SAR", "PHP", "MYR"};

std::size_t prominence(std::string_view code) {
  const auto& ten = catalogueCodes();
  if (const auto at = std::find(ten.begin(), ten.end(), code); at != ten.end()) {
    return static_cast<std::size_t>(at - ten.begin());
  }
  const auto* at = std::find(std::begin(kWidelyTraded), std::end(kWidelyTraded), code);
  return at != std::end(kWidelyTraded)
             ? ten.size() + static_cast<std::size_t>(at - std::begin(kWidelyTraded))
             : SIZE_MAX;
}

// One currency's texts as a search compares them, folded once: searching runs on every key.
struct SearchTexts {
  std::string code;
  std::string names;      // the name and the other names
  std::string countries;  // every country's name
};

const SearchTexts& searchTexts(const CurrencyDetails& details) {
  static std::mutex guard;
  static std::map<std::string, SearchTexts, std::less<>> known;
  const std::lock_guard lock(guard);
  if (const auto found = known.find(details.code); found != known.end()) return found->second;
  std::string names = details.name;
  for (const OtherNames& other : otherNames()) {
    if (details.code != other.code) continue;
    for (const char* name : other.money) names += std::string("\n") + name;
    for (const char* name : other.places) names += std::string("\n") + name;
  }
  std::string countries;
  for (const std::string& country : details.countries) countries += country + "\n";
  SearchTexts texts{folded(details.code), folded(names), folded(countries)};
  return known.emplace(details.code, std::move(texts)).first->second;
}

constexpr int kNoMatch = 4;

// How well `query` finds a currency, 0 best; kNoMatch when some word of it is not found. A word
// counts where it is found best, the query where its worst word is.
int matchTier(const SearchTexts& texts, const std::string& query) {
  int tier = 0;
  std::size_t start = 0;
  while (start < query.size()) {
    const std::size_t end = std::min(query.find(' ', start), query.size());
    if (end > start) {
      const std::string_view word(query.data() + start, end - start);
      int best = kNoMatch;
      if (texts.code.starts_with(word)) {
        best = 0;
      } else if (texts.names.find(word) != std::string::npos) {
        best = 1;
      } else if (texts.countries.find(word) != std::string::npos) {
        best = 2;
      } else if (texts.code.find(word) != std::string::npos) {
        best = 3;
      }
      tier = std::max(tier, best);
    }
    start = end + 1;
  }
  return tier;
}

std::string lastWord(const std::string& name) {
  const std::size_t space = name.rfind(' ');
  return folded(space == std::string::npos ? name : name.substr(space + 1));
}

std::map<std::string, std::vector<std::string>, std::less<>> currenciesByWord() {
  std::map<std::string, std::vector<std::string>, std::less<>> byWord;
  const auto add = [&byWord](const std::string& word, const std::string& code) {
    auto& codes = byWord[word];
    if (!word.empty() && std::find(codes.begin(), codes.end(), code) == codes.end()) {
      codes.push_back(code);
    }
  };
  for (const std::string& code : commonCurrencies()) {
    add(lastWord(currencyNameForOne(code)), code);
    add(lastWord(currencyNameForMany(code)), code);
  }
  for (const OtherNames& other : otherNames()) {
    for (const char* name : other.money) add(name, other.code);
  }
  for (auto& [word, codes] : byWord) {
    std::stable_sort(codes.begin(), codes.end(), [](const std::string& a, const std::string& b) {
      return prominence(a) < prominence(b);
    });
  }
  return byWord;
}

}  // namespace

const std::vector<std::string>& catalogueCodes() {
  static const std::vector<std::string> codes{"USD", "EUR", "GBP", "JPY", "CAD",
                                              "AUD", "CHF", "CNY", "INR", "MXN"};
  return codes;
}

// The ten's flags are their regions' like every other code's (EUR's is the EU's).
const std::map<std::string, std::string>& catalogueFlags() {
  static const std::map<std::string, std::string> flags = [] {
    std::map<std::string, std::string> byCode;
    for (const std::string& code : catalogueCodes()) {
      byCode.emplace(code, regionFlag(currencyRegion(code)));
    }
    return byCode;
  }();
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
  return regionFlag(currencyRegion(code));
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
  return matchTier(searchTexts(details), folded(query)) < kNoMatch;
}

std::vector<std::string> searchCurrencies(const std::vector<std::string>& codes,
                                          std::string_view query) {
  const std::string wanted = folded(query);
  // Nothing typed yet: the list as offered, recent currencies right after the ten.
  if (wanted.find_first_not_of(' ') == std::string::npos) return codes;
  struct Found {
    int tier;
    bool spelled;
    std::size_t prominence;
    std::size_t index;
  };
  std::vector<Found> found;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const SearchTexts& texts = searchTexts(currencyDetails(codes[i]));
    const int tier = matchTier(texts, wanted);
    if (tier == kNoMatch) continue;
    found.push_back({tier, texts.code == wanted, prominence(codes[i]), i});
  }
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return std::tie(a.tier, b.spelled, a.prominence, a.index) <
           std::tie(b.tier, a.spelled, b.prominence, b.index);
  });
  std::vector<std::string> out;
  out.reserve(found.size());
  for (const Found& f : found) out.push_back(codes[f.index]);
  return out;
}

const std::vector<std::string>& currenciesCalled(std::string_view word) {
  static const auto byWord = currenciesByWord();
  static const std::vector<std::string> none;
  const auto found = byWord.find(folded(word));
  return found != byWord.end() ? found->second : none;
}

bool isCurrencyCode(std::string_view text) {
  return text.size() == 3 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

}  // namespace ovantic
