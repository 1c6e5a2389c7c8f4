#include <gtest/gtest.h>

#include "fakes.h"

namespace ovantic {
namespace {

using fakes::ConverterUnderTest;
using fakes::kIndia;
using fakes::kUnitedStates;

class Swap : public testing::Test {
 protected:
  void SetUp() override { c.view->exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}}; }
  CurrencyConverterView& view() { return *c.view; }
  ConverterUnderTest c;
};

TEST_F(Swap, CarriesTheShownNumberBack) {
  view().convert();
  ASSERT_EQ(view().resultText, kIndia + " 83.12");
  view().swapCurrencies();
  EXPECT_EQ(view().fromCurrency, "INR");
  EXPECT_EQ(view().toCurrency, "USD");
  EXPECT_EQ(view().amountText, "83.12");
  EXPECT_EQ(view().resultText, kUnitedStates + " 1");
  EXPECT_EQ(view().rateText, "INR 1 = USD 0.0120");
}

TEST_F(Swap, DropsGroupingAndScale) {
  view().amountText = "100";
  view().fromCurrency = "EUR";
  view().convert();
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "9034.78");

  view().amountText = "1 crore";
  view().fromCurrency = "USD";
  view().toCurrency = "INR";
  view().convert();
  ASSERT_EQ(view().resultText, kIndia + " 83.12 Cr");
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "83.12");
  EXPECT_EQ(view().resultText, kUnitedStates + " 1") << "83.12 units, not 83.12 crore";
}

TEST_F(Swap, PlaceholderResultsBecomeTheAmount) {
  view().swapCurrencies();  // nothing converted yet
  EXPECT_EQ(view().amountText, "---");
  EXPECT_EQ(view().resultText, "Invalid");
  view().swapCurrencies();
  EXPECT_EQ(view().amountText, "Invalid");
  EXPECT_EQ(view().resultText, "Invalid");
  EXPECT_EQ(view().fromCurrency, "USD");
}

TEST_F(Swap, EqualCurrenciesOnlyReplaceTheAmount) {
  view().fromCurrency = "INR";
  view().amountText = "2,50,000";
  view().convert();
  view().swapCurrencies();
  EXPECT_EQ(view().fromCurrency, "INR");
  EXPECT_EQ(view().toCurrency, "INR");
  EXPECT_EQ(view().amountText, "2.5");
}

TEST(Copy, HandsTheExactTextToTheClipboard) {
  ConverterUnderTest c;
  c.view->copyToClipboard("\u20B9 2.5 Cr");
  c.view->copyToClipboard("");
  EXPECT_EQ(c.clipboard->texts, (std::vector<std::string>{"\u20B9 2.5 Cr", ""}));
}

TEST(Copy, WithoutAClipboardNothingHappens) {
  auto view = CurrencyConverterView::create(ConverterServices{});
  view->copyToClipboard("x");  // must not crash
  SUCCEED();
}

}  // namespace
}  // namespace ovantic
