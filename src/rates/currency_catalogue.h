#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "rates/currency_details.h"
#include "rates/rate_table.h"

namespace ovantic {

// The ten currencies offered first, in picker order, with their flags and signs. Every other ISO
// currency the rate table lists is offered after them, with what ICU knows of it.
const std::vector<std::string>& catalogueCodes();
const std::map<std::string, std::string>& catalogueFlags();
const std::map<std::string, std::string>& catalogueSymbols();
// The code's flag: its region's; empty for a code of no single region.
std::string flagFor(std::string_view code);
// The code's sign: the ten's own, else ICU's; the code itself for a code ICU does not know.
std::string symbolFor(std::string_view code);

// How many recently chosen currencies are remembered and offered right after the ten.
inline constexpr std::size_t kRecentCurrencyCount = 5;

// The pickers' list: the ten, then the recently chosen ones, most recent first, then every other
// ISO code of the table, by name. `alsoOffered` (the pair shown) is offered even when the table
// lacks it, so a remembered code stays choosable while its rate is awaited.
std::vector<std::string> offeredCodes(const RateTable& rates,
                                      const std::vector<std::string>& recent,
                                      const std::vector<std::string>& alsoOffered);

// `recent` with `code` put in front, the ten left out (they are always first anyway), at most
// kRecentCurrencyCount long.
std::vector<std::string> withRecentCurrency(std::vector<std::string> recent, std::string_view code);

// Whether every word of `query` is found, ignoring case, in the code, the name, a common other
// name ("sterling", "renminbi", "dubai") or a country of `details`. An empty query matches
// everything.
bool currencyMatches(const CurrencyDetails& details, std::string_view query);

// The codes among `codes` that match `query`, best first: those whose code the query begins
// (the code spelled in full before all), then those whose name or other name has it, then those
// only a country of which has it. Within each, the ten come first, then the widely traded
// currencies, then the rest in the order of `codes`: "dirham" finds the UAE's before Morocco's.
// An empty query gives `codes` as they are.
std::vector<std::string> searchCurrencies(const std::vector<std::string>& codes,
                                          std::string_view query);

// The currencies a word of an amount names ("rupees", "dollar", "euros", "sterling"), from ICU's
// English names for one and for many and the common other names, best known first as in a
// search. Empty for any other word.
const std::vector<std::string>& currenciesCalled(std::string_view word);

// Whether `text` can stand for a currency code at all: three letters A to Z.
bool isCurrencyCode(std::string_view text);

}  // namespace ovantic
