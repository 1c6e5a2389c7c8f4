#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ovantic {

// What ICU knows of one currency, in English: what the pickers show and what a search looks at.
struct CurrencyDetails {
  std::string code;
  // "United Arab Emirates Dirham"; the code itself for a code ICU does not know.
  std::string name;
  // The flag of the one region whose currency it is (the EU's for the euro); empty for a currency
  // shared by several regions with none of its own, such as the Central African franc.
  std::string flag;
  // The regions that pay in it today, by name ("India", "Bhutan"), for searching by country.
  std::vector<std::string> countries;
};

// Whether `code` is an ISO 4217 currency code, current or withdrawn. Rate services also list
// codes of their own (Faroese or Guernsey notes, say) that no bank would take as a currency.
bool isIsoCurrency(std::string_view code);

// Whether `code` (upper case) is a current ISO 4217 currency in common use. Funds, test codes and
// precious metals (XAU, XAG, …) are ISO codes too, but nobody converts an amount into an ounce of
// gold from a currency panel, and retired currencies only have the rate their replacement has.
bool isCommonCurrency(std::string_view code);

// The English name, or the empty text for a code ICU does not know.
std::string currencyName(std::string_view code);

// ICU's English name for one of the currency ("Indian rupee") and for many ("Indian rupees");
// empty for a code ICU does not know.
std::string currencyNameForOne(std::string_view code);
std::string currencyNameForMany(std::string_view code);

// The current ISO 4217 currencies in common use (isCommonCurrency), in code order.
const std::vector<std::string>& commonCurrencies();
// How many of the currency one says, in English: "Indian rupees" for 207.8 or 2 million, "euro"
// for 1; the code for a code ICU does not know.
std::string currencyPluralName(std::string_view code, double count);

// ICU's English sign ("HK$", "₩"; the code itself where there is none); the code for a code ICU
// does not know.
std::string currencySign(std::string_view code);

// The region whose currency this is: the one whose ISO 3166 code the currency code starts with,
// when it pays in it, or else the only region that does. Empty when neither holds.
std::string currencyRegion(std::string_view code);

// The regions whose tender the currency is today, as ISO 3166 codes in alphabetical order.
const std::vector<std::string>& currencyRegions(std::string_view code);

// The flag emoji of a two-letter region code; empty for anything else.
std::string regionFlag(std::string_view region);

// Name, flag and countries together; computed once per code and kept.
const CurrencyDetails& currencyDetails(std::string_view code);

}  // namespace ovantic
