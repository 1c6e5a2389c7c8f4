#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "rates/currency_catalogue.h"
#include "rates/rates_reply.h"

namespace ovantic {
namespace {

const std::string kEuropeanUnion = "\U0001F1EA\U0001F1FA";
const std::string kSwitzerland = "\U0001F1E8\U0001F1ED";
const std::string kEmirates = "\U0001F1E6\U0001F1EA";

struct Described {
  const char* code;
  const char* name;
  std::string flag;
  const char* sign;
  const char* country;  // one of its countries, or "" for none
};

// The codes where a simpler rule goes wrong: a currency of many countries with a region of its
// own (EUR), one shared with no region of its own (XAF), one that a neighbour also pays in (CHF),
// one with no sign of its own, and codes ICU does not know (a service's own, a made-up one).
TEST(CurrencyDetails, NamesFlagsSignsAndCountriesFromIcu) {
  const std::vector<Described> cases{
      {"EUR", "Euro", kEuropeanUnion, "\u20AC", "Germany"},
      {"XAF", "Central African CFA Franc", "", "FCFA", "Cameroon"},
      {"CHF", "Swiss Franc", kSwitzerland, "Fr", "Liechtenstein"},
      {"AED", "United Arab Emirates Dirham", kEmirates, "AED", "United Arab Emirates"},
      {"HKD", "Hong Kong Dollar", "\U0001F1ED\U0001F1F0", "HK$", "Hong Kong SAR China"},
      {"XCD", "East Caribbean Dollar", "", "EC$", "Grenada"},
      {"FOK", "FOK", "", "FOK", ""},
      {"QQQ", "QQQ", "", "QQQ", ""},
  };
  for (const Described& c : cases) {
    const CurrencyDetails& details = currencyDetails(c.code);
    EXPECT_EQ(details.name, c.name) << c.code;
    EXPECT_EQ(details.flag, c.flag) << c.code;
    EXPECT_EQ(flagFor(c.code), c.flag) << c.code;
    EXPECT_EQ(symbolFor(c.code), c.sign) << c.code;
    const auto& countries = details.countries;
    if (*c.country == '\0') {
      EXPECT_TRUE(countries.empty()) << c.code;
    } else {
      EXPECT_NE(std::find(countries.begin(), countries.end(), c.country), countries.end())
          << c.code;
    }
  }
  EXPECT_TRUE(isIsoCurrency("XAF"));
  EXPECT_FALSE(isIsoCurrency("FOK"));
  EXPECT_FALSE(isIsoCurrency("aed"));
  EXPECT_EQ(currencyRegion("INR"), "IN") << "Bhutan pays in rupees too";
  EXPECT_EQ(currencyRegion("ANG"), "") << "two countries, neither named by the code";
  EXPECT_EQ(regionFlag("E"), "");
}

TEST(CurrencyList, TheTenThenRecentThenTheRestByName) {
  const RateTable rates{{"USD", 1},   {"ZAR", 18},  {"AED", 3.67}, {"NPR", 133}, {"INR", 83},
                        {"FOK", 6.9}, {"SGD", 1.3}, {"BDT", 110},  {"usd", 1}};
  const std::vector<std::string> offered = offeredCodes(rates, {"SGD", "NPR"}, {"LKR", "INR"});
  const std::vector<std::string> expected{
      "USD", "EUR", "GBP", "JPY", "CAD", "AUD",
      "CHF", "CNY", "INR", "MXN", "SGD", "NPR",  // recent, most recent first
      "BDT", "ZAR", "LKR", "AED"};  // Bangladeshi Taka, South African Rand, Sri Lankan, UAE
  EXPECT_EQ(offered, expected);
}

TEST(CurrencyList, RecentKeepsFiveNewestOutsideTheTen) {
  std::vector<std::string> recent;
  for (const char* code : {"AED", "SAR", "INR", "QAR", "KWD", "OMR", "SAR", "x1", "BHD"}) {
    recent = withRecentCurrency(recent, code);
  }
  EXPECT_EQ(recent, (std::vector<std::string>{"BHD", "SAR", "OMR", "KWD", "QAR"}));
}

TEST(CurrencySearch, MatchesCodeNameOrCountry) {
  const std::vector<std::string> codes = offeredCodes(
      {{"AED", 1}, {"NPR", 1}, {"LKR", 1}, {"PKR", 1}, {"SAR", 1}, {"IDR", 1}}, {}, {});
  using Codes = std::vector<std::string>;
  EXPECT_EQ(searchCurrencies(codes, "dirham"), Codes{"AED"});
  EXPECT_EQ(searchCurrencies(codes, "aed"), Codes{"AED"});
  EXPECT_EQ(searchCurrencies(codes, "Emirates"), Codes{"AED"});
  EXPECT_EQ(searchCurrencies(codes, "rupee"), (Codes{"INR", "NPR", "PKR", "LKR"}));
  EXPECT_EQ(searchCurrencies(codes, "sri rupee"), Codes{"LKR"});
  EXPECT_EQ(searchCurrencies(codes, "germany"), Codes{"EUR"});
  EXPECT_EQ(searchCurrencies(codes, "SAR").front(), "SAR") << "the spelled code comes first";
  EXPECT_EQ(searchCurrencies(codes, "").size(), codes.size());
  EXPECT_TRUE(searchCurrencies(codes, "zzzz").empty());
}

// Over every currency a real table offers, Enter picks the one meant: by code, then by its name
// or another name it goes by, then by country, and a name before a country that only pays in it.
TEST(CurrencySearch, TheOneMeantComesFirst) {
  std::ifstream in(std::string(OVANTIC_TEST_DATA_DIR) + "/latest_usd.json");
  const auto reply = parseRatesReply(std::string(std::istreambuf_iterator<char>(in), {}));
  const std::vector<std::string> codes = offeredCodes(reply.rates, {}, {});
  ASSERT_GT(codes.size(), 150u);
  const std::pair<const char*, const char*> meant[] = {
      {"dirham", "AED"}, {"uae", "AED"},       {"dubai", "AED"},   {"india", "INR"},
      {"franc", "CHF"},  {"sterling", "GBP"},  {"britain", "GBP"}, {"renminbi", "CNY"},
      {"yuan", "CNY"},   {"greenback", "USD"}, {"lak", "LAK"},     {"kip", "LAK"},
      {"peso", "MXN"},   {"dollar", "USD"},    {"krona", "SEK"},   {"rupee", "INR"}};
  for (const auto& [query, code] : meant) {
    const auto found = searchCurrencies(codes, query);
    ASSERT_FALSE(found.empty()) << query;
    EXPECT_EQ(found.front(), code) << query;
  }
}

}  // namespace
}  // namespace ovantic
