#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ovantic
