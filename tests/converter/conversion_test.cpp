#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fakes.h"

namespace ovantic {
namespace {

using fakes::ConverterUnderTest;
using fakes::kIndia;
using fakes::kUnitedStates;

class Conversion : public testing::Test {
 protected:
  void SetUp() override { view().exchangeRates = {{"INR", 83.12}, {"EUR", 0.92}}; }
  CurrencyConverterView& view() { return *c.view; }
  void convert(std::string amount, std::string from, std::string to) {
    view().amountText = std::move(amount);
    view().fromCurrency = std::move(from);
    view().toCurrency = std::move(to);
    view().convert();
  }
  ConverterUnderTest c;
};

TEST_F(Conversion, WorkedExamples) {
  convert("1", "USD", "INR");
  EXPECT_EQ(view().resultText, kIndia + " 83.12");
  EXPECT_EQ(view().rateText, "USD 1 = INR 83.1200");
  EXPECT_EQ(view().allConversions,
            (std::vector<ConversionEntry>{{UnitType::none, 83.12, kIndia + " Units"}}));

  convert("1 crore", "USD", "INR");
  EXPECT_EQ(view().resultText, kIndia + " 83.12 Cr");
  ASSERT_EQ(view().allConversions.size(), 3u);
  EXPECT_EQ(view().allConversions[0].unit, UnitType::lakh);
  EXPECT_DOUBLE_EQ(view().allConversions[0].value, 8312);
  EXPECT_EQ(view().allConversions[1].label, kIndia + " Million");
  EXPECT_DOUBLE_EQ(view().allConversions[1].value, 831.2);
  EXPECT_EQ(view().allConversions[2].unit, UnitType::crore);

  convert("2.5 cr", "INR", "USD");
  EXPECT_EQ(view().resultText, kUnitedStates + " 300,769.97");
  EXPECT_EQ(view().rateText, "INR 1 = USD 0.0120");
  ASSERT_EQ(view().allConversions.size(), 1u);
  EXPECT_EQ(view().allConversions[0].unit, UnitType::thousand);
  EXPECT_NEAR(view().allConversions[0].value, 300.76997, 1e-5);

  convert("100", "EUR", "INR");
  EXPECT_EQ(view().resultText, kIndia + " 9,034.78");
  EXPECT_EQ(view().rateText, "EUR 1 = INR 90.3478");
}

TEST_F(Conversion, CommasAreGroupSeparatorsAnywhere) {
  convert("1,00,000", "USD", "USD");
  EXPECT_EQ(view().resultText, kUnitedStates + " 100,000");
  convert("100,000", "USD", "USD");
  EXPECT_EQ(view().resultText, kUnitedStates + " 100,000");
  convert("25,000 k", "USD", "USD");
  EXPECT_EQ(view().resultText, kUnitedStates + " 25 M");
}

TEST_F(Conversion, EmptyAmountClearsButUnreadableKeepsTheTable) {
  convert("1 crore", "USD", "INR");
  const auto table = view().allConversions;
  view().rateText = "sentinel";

  for (const char* unreadable : {"abc", ",", "   "}) {
    convert(unreadable, "USD", "INR");
    EXPECT_EQ(view().resultText, "Invalid") << unreadable;
    EXPECT_EQ(view().allConversions, table) << unreadable;
    EXPECT_EQ(view().rateText, "sentinel") << unreadable;
  }

  convert("", "USD", "INR");
  EXPECT_EQ(view().resultText, "---");
  EXPECT_TRUE(view().allConversions.empty());
  EXPECT_EQ(view().rateText, "sentinel");
}

TEST_F(Conversion, AReadableAmountWithoutARateWaits) {
  convert("5", "USD", "INR");
  convert("2.5 c", "GBP", "INR");
  ASSERT_EQ(view().resultText, "Invalid");
  convert("2.5 cr", "GBP", "INR");
  // A table is in, and nothing more is on its way: the line says what it lacks.
  EXPECT_EQ(view().rateText, "No rate for GBP");
  EXPECT_EQ(view().resultText, "---") << "an older answer belongs to another amount";
  EXPECT_TRUE(view().allConversions.empty());
  EXPECT_TRUE(view().exactText.empty());
}

TEST(ConversionBeforeRates, OnlyTheDollarConverts) {
  ConverterUnderTest c;
  c.view->amountText = "5";
  c.view->convert();
  EXPECT_EQ(c.view->rateText, "Loading rates...");
  EXPECT_EQ(c.view->resultText, "---");

  c.view->toCurrency = "USD";
  c.view->convert();
  EXPECT_EQ(c.view->resultText, kUnitedStates + " 5");
  EXPECT_EQ(c.view->rateText, "USD 1 = USD 1.0000");
  EXPECT_EQ(c.view->allConversions,
            (std::vector<ConversionEntry>{{UnitType::none, 5.0, kUnitedStates + " Units"}}));
}

TEST_F(Conversion, ResultDropsTrailingZerosAndRateLineKeepsFour) {
  view().exchangeRates["JPY"] = 149.5;
  convert("1234.5", "USD", "USD");
  EXPECT_EQ(view().resultText, kUnitedStates + " 1,234.5");
  convert("1", "USD", "JPY");
  EXPECT_EQ(view().rateText, "USD 1 = JPY 149.5000");
  // Rounding happens after the unit is chosen: 9,999,999 rupees are 100 lakh.
  convert("9999999", "INR", "INR");
  EXPECT_EQ(view().resultText, kIndia + " 100 L");
}

TEST_F(Conversion, ResultFollowsTheConfiguredLocale) {
  ConverterUnderTest indian("en_IN");
  indian.view->exchangeRates = {{"INR", 83.12}};
  indian.view->amountText = "12345.678";
  indian.view->toCurrency = "USD";
  indian.view->fromCurrency = "USD";
  indian.view->convert();
  EXPECT_EQ(indian.view->resultText, kUnitedStates + " 12,345.68");

  ConverterUnderTest german("de_DE");
  german.view->toCurrency = "USD";
  german.view->amountText = "1234.5";
  german.view->convert();
  EXPECT_EQ(german.view->resultText, kUnitedStates + " 1.234,5");
  EXPECT_EQ(german.view->rateText, "USD 1 = USD 1.0000") << "the rate line is never localised";
}

TEST_F(Conversion, TargetWithoutFlagStillConverts) {
  // Six countries pay in it and none is its own: no flag rather than a wrong one.
  view().exchangeRates["XAF"] = 10.5;
  convert("2", "USD", "XAF");
  EXPECT_EQ(view().resultText, " 21");
  EXPECT_EQ(view().allConversions[0].label, " Units");
}

TEST_F(Conversion, NotANumberAndInfinityAreInvalid) {
  for (const char* amount : {"nan", "1e400", "1e308 * 10", "1/0", "1e308"}) {
    convert(amount, "USD", "INR");  // 1e308 dollars are finite, their rupees are not
    EXPECT_EQ(view().resultText, "Invalid") << amount;
  }
}

TEST_F(Conversion, DecimalCommaFollowsTheUsersNumbers) {
  ConverterUnderTest german("de_DE");
  german.view->toCurrency = "USD";
  german.view->amountText = "2,5 cr";
  german.view->convert();
  EXPECT_EQ(german.view->resultText, kUnitedStates + " 25 M");
  convert("2,5 cr", "USD", "USD");
  EXPECT_EQ(view().resultText, kUnitedStates + " 250 M");
}

struct Rows {
  double value;
  const char* currency;
  std::vector<std::pair<UnitType, double>> rows;
};

class AllUnits : public testing::TestWithParam<Rows> {};

TEST_P(AllUnits, RowsForEveryApplicableUnit) {
  ConverterUnderTest c;
  const Rows& expected = GetParam();
  const auto rows = c.view->generateAllConversions(expected.value, expected.currency);
  ASSERT_EQ(rows.size(), expected.rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].unit, expected.rows[i].first);
    EXPECT_DOUBLE_EQ(rows[i].value, expected.rows[i].second);
  }
}

INSTANTIATE_TEST_SUITE_P(Thresholds, AllUnits,
                         testing::Values(Rows{100'000, "INR", {{UnitType::lakh, 1}}},
                                         Rows{99'999.99, "INR", {{UnitType::none, 99'999.99}}},
                                         Rows{2e9,
                                              "INR",
                                              {{UnitType::lakh, 20'000},
                                               {UnitType::million, 2'000},
                                               {UnitType::crore, 200},
                                               {UnitType::billion, 2}}},
                                         Rows{1e9,
                                              "USD",
                                              {{UnitType::thousand, 1e6},
                                               {UnitType::million, 1'000},
                                               {UnitType::billion, 1}}},
                                         Rows{999.99, "USD", {{UnitType::none, 999.99}}},
                                         Rows{5'000, "INR", {{UnitType::none, 5'000}}},
                                         Rows{-50'000'000, "INR", {{UnitType::none, -50'000'000}}},
                                         Rows{
                                             std::numeric_limits<double>::quiet_NaN(), "USD", {}}));

TEST(AllUnitsLabels, FlagThenWord) {
  ConverterUnderTest c;
  const auto rows = c.view->generateAllConversions(2e9, "INR");
  EXPECT_EQ(rows[0].label, kIndia + " Lakh");
  EXPECT_EQ(rows[1].label, kIndia + " Million");
  EXPECT_EQ(rows[2].label, kIndia + " Crore");
  EXPECT_EQ(rows[3].label, kIndia + " Billion");
  EXPECT_EQ(c.view->generateAllConversions(5'000, "USD")[0].label, kUnitedStates + " Thousand");
}

}  // namespace
}  // namespace ovantic
