#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "fakes.h"

namespace ovantic {
namespace {

using fakes::ConverterUnderTest;

TEST(CurrencyCatalogue, TenCodesWithFlagsAndSignsInPickerOrder) {
  const auto& codes = CurrencyConverterView::currencies();
  const std::vector<std::string> expected{"USD", "EUR", "GBP", "JPY", "CAD",
                                          "AUD", "CHF", "CNY", "INR", "MXN"};
  EXPECT_EQ(codes, expected);
  EXPECT_EQ(CurrencyConverterView::currencyFlags().size(), codes.size());
  EXPECT_EQ(CurrencyConverterView::currencySymbols().size(), codes.size());
  std::set<std::string> flags;
  for (const auto& code : codes) {
    const std::string& flag = CurrencyConverterView::currencyFlags().at(code);
    // Two regional indicators, four UTF-8 bytes each, spelling the region.
    ASSERT_EQ(flag.size(), 8u) << code;
    flags.insert(flag);
  }
  EXPECT_EQ(flags.size(), codes.size()) << "flags must be unique";
  EXPECT_EQ(CurrencyConverterView::currencyFlags().at("EUR"), "\U0001F1EA\U0001F1FA");
}

TEST(CurrencyCatalogue, SymbolLookupFallsBackToTheCode) {
  ConverterUnderTest c;
  EXPECT_EQ(c.view->getCurrencySymbol("CHF"), "Fr");
  EXPECT_EQ(c.view->getCurrencySymbol("CAD"), "$");
  EXPECT_EQ(c.view->getCurrencySymbol("INR"), "\u20B9");
  EXPECT_EQ(c.view->getCurrencySymbol("JPY"), c.view->getCurrencySymbol("CNY"));
  EXPECT_EQ(c.view->getCurrencySymbol("XYZ"), "XYZ");
  EXPECT_EQ(c.view->getCurrencySymbol("inr"), "inr");
}

TEST(RateTable, DollarIsKnownBeforeAnyFetch) {
  ConverterUnderTest c;
  EXPECT_TRUE(c.view->exchangeRates.empty());
  EXPECT_EQ(c.view->getRate("USD"), 1.0);
  EXPECT_FALSE(c.view->getRate("INR").has_value());
  EXPECT_FALSE(c.view->getRate("usd").has_value());
  c.view->exchangeRates = {{"usd", 2.0}, {"USD", 5.0}};
  EXPECT_EQ(c.view->getRate("usd"), 2.0);
  EXPECT_EQ(c.view->getRate("USD"), 1.0) << "the pivot is never read from the table";
}

TEST(ConverterState, StartsFromTheInitialValues) {
  ConverterUnderTest c;
  const CurrencyConverterView& v = *c.view;
  EXPECT_EQ(v.fromCurrency, "USD");
  EXPECT_EQ(v.toCurrency, "INR");
  EXPECT_EQ(v.amountText, "1");
  EXPECT_EQ(v.resultText, "---");
  EXPECT_EQ(v.rateText, "Loading rates...");
  EXPECT_EQ(v.lastUpdatedText, "");
  EXPECT_FALSE(v.isLoading);
  EXPECT_EQ(v.detectedFromUnit, UnitType::none);
  EXPECT_TRUE(v.allConversions.empty());
  EXPECT_FALSE(v.copiedUnit.has_value());
  EXPECT_FALSE(v.showCopiedForMain);
  EXPECT_TRUE(v.exchangeRates.empty());
}

// A converter as an opening builds it, on preferences the previous openings left.
std::shared_ptr<CurrencyConverterView> openWith(std::shared_ptr<fakes::MemoryPreferences> kept) {
  ConverterServices services{nullptr, nullptr, nullptr, "en_US"};
  services.preferences = std::move(kept);
  return CurrencyConverterView::create(std::move(services));
}

TEST(RememberedPair, ChosenPairAndRecentComeBackNotTheAmount) {
  auto kept = std::make_shared<fakes::MemoryPreferences>();
  {
    auto first = openWith(kept);
    EXPECT_EQ(first->fromCurrency, "USD") << "a new user starts at USD to INR";
    EXPECT_EQ(first->toCurrency, "INR");
    first->exchangeRates = {{"AED", 3.67}, {"INR", 83.0}, {"NPR", 133.0}};
    first->selectToCurrency("NPR");
    first->selectFromCurrency("AED");
    first->selectToCurrency("INR");
    first->editAmount("250");
  }
  auto second = openWith(kept);
  EXPECT_EQ(second->fromCurrency, "AED");
  EXPECT_EQ(second->toCurrency, "INR");
  EXPECT_EQ(second->amountText, "1");
  EXPECT_EQ(second->recentCurrencies, (std::vector<std::string>{"AED", "NPR"}));
  EXPECT_EQ(second->resultText, "---") << "restoring is no edit: nothing converts on creation";
  second->swapCurrencies();
  EXPECT_EQ(openWith(kept)->fromCurrency, "INR") << "a swap is remembered too";
}

TEST(RememberedPair, CodeTheTableLacksWaitsForItsRate) {
  auto kept = std::make_shared<fakes::MemoryPreferences>();
  kept->values = {{"pair/from", "OMR"}, {"pair/to", "INR"}};
  auto view = openWith(kept);
  view->applyRates(RateFeedResult{RateTable{{"INR", 83.0}, {"EUR", 0.9}}, "", "", "", {}});
  EXPECT_EQ(view->fromCurrency, "OMR");
  EXPECT_EQ(view->rateText, "No rate for OMR");
  EXPECT_EQ(view->resultText, "---");
  const auto offered = view->offeredCurrencies();
  EXPECT_NE(std::find(offered.begin(), offered.end(), "OMR"), offered.end())
      << "still choosable while its rate is awaited";
}

TEST(RememberedPair, WhatIsNotACodeIsIgnored) {
  auto kept = std::make_shared<fakes::MemoryPreferences>();
  kept->values = {{"pair/from", "usd; rm"}, {"pair/to", ""}, {"pair/recent", "SGD,,x,NZD,TOOLONG"}};
  auto view = openWith(kept);
  EXPECT_EQ(view->fromCurrency, "USD");
  EXPECT_EQ(view->toCurrency, "INR");
  EXPECT_EQ(view->recentCurrencies, (std::vector<std::string>{"SGD", "NZD"}));
  // A hand-made list is read only as far as the few codes offered could reach.
  std::string overlong = "SGD";
  for (int i = 0; i < 40; ++i) overlong += ",USD";
  kept->values = {{"pair/recent", overlong + ",AED"}};
  EXPECT_EQ(openWith(kept)->recentCurrencies, std::vector<std::string>{"SGD"});
}

}  // namespace
}  // namespace ovantic
