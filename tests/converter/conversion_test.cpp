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

// No number of an earlier amount stays on screen to be read or copied as this one's.
TEST_F(Conversion, EmptyOrUnreadableAmountClearsEverything) {
  for (const char* unreadable : {"abc", ",", "   ", "2.5 cr +", "", "1e13", "5e11"}) {
    convert("1 crore", "USD", "INR");
    ASSERT_FALSE(view().exactText.empty());
    view().rateText = "sentinel";
    convert(unreadable, "USD", "INR");  // 5e11 dollars are more rupees than a double holds
    EXPECT_EQ(view().resultText, *unreadable ? "Invalid" : "---") << unreadable;
    EXPECT_TRUE(view().allConversions.empty()) << unreadable;
    EXPECT_TRUE(view().exactText.empty()) << unreadable;
    EXPECT_EQ(view().rateText, "sentinel") << unreadable;
    view().copyExact();
  }
  EXPECT_TRUE(c.clipboard->texts.empty());
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

// A number is read in the user's convention, or in the other one where its separators can only
// mean that; never silently as a grouping it cannot be.
struct InLocale {
  const char* locale;
  const char* typed;
  std::optional<double> amount;
};

void PrintTo(const InLocale& n, std::ostream* os) {
  *os << n.locale << " \"" << n.typed << '"';
}

class NumberConventions : public testing::TestWithParam<InLocale> {};

TEST_P(NumberConventions, ReadAsTheyCanOnlyMean) {
  ConverterUnderTest c(GetParam().locale);
  const auto reading = c.view->readAmountText(GetParam().typed);
  ASSERT_EQ(reading.has_value(), GetParam().amount.has_value());
  if (reading) {
    EXPECT_DOUBLE_EQ(reading->amount, *GetParam().amount);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BothConventions, NumberConventions,
    testing::Values(
        InLocale{"en_US", "1,234.56", 1234.56}, InLocale{"en_US", "1,00,000", 1e5},
        InLocale{"en_US", "1.234,56", 1234.56}, InLocale{"en_US", "3,5 million", 3.5e6},
        InLocale{"en_US", "2,50", 2.5}, InLocale{"en_US", "1.234", 1.234},
        InLocale{"en_US", "1.234.567", 1234567}, InLocale{"en_US", "1,2,3", std::nullopt},
        InLocale{"en_US", "1,234.5,6", std::nullopt}, InLocale{"en_IN", "12,34,567.89", 1234567.89},
        InLocale{"en_IN", "1.234,56", 1234.56}, InLocale{"en_IN", "3,5 lakh", 350000},
        InLocale{"en_IN", "12,345,67", std::nullopt}, InLocale{"de_DE", "1.234,56", 1234.56},
        InLocale{"de_DE", "2,5 cr", 2.5e7}, InLocale{"de_DE", "1,234", 1.234},
        InLocale{"de_DE", "1.234", 1234}, InLocale{"de_DE", "2.5 cr", 2.5e7},
        InLocale{"de_DE", "1,234.56", 1234.56}, InLocale{"de_DE", "0.125", 0.125},
        InLocale{"de_DE", "1.2.3", std::nullopt}, InLocale{"fr_FR", "1 234,56", 1234.56},
        InLocale{"fr_FR", "1\u202F234,56", 1234.56}, InLocale{"fr_FR", "1.234,5", 1234.5},
        InLocale{"fr_FR", "1,234.5", 1234.5}, InLocale{"fr_FR", "12 34", std::nullopt}));

// Typed key by key against a full table, every prefix reads as it would pasted whole, and no key
// on the way touches the pair the user chose: "45 lak" is a lakh half typed, not 45 Lao kip.
struct Typed {
  const char* text;
  const char* pair;  // source and target once it is all typed; the user chose INR to GBP
};

void PrintTo(const Typed& t, std::ostream* os) {
  *os << '"' << t.text << '"';
}

class TypedKeyByKey : public testing::TestWithParam<Typed> {};

TEST_P(TypedKeyByKey, ReadsAsPastedAndLeavesTheChosenPair) {
  const auto converter = [](std::shared_ptr<fakes::MemoryPreferences> kept) {
    ConverterServices services{nullptr, nullptr, nullptr, "en_IN"};
    services.preferences = std::move(kept);
    auto view = CurrencyConverterView::create(std::move(services));
    view->exchangeRates = fakes::fullRateTable();
    view->selectFromCurrency("INR");
    view->selectToCurrency("GBP");
    return view;
  };
  const auto kept = std::make_shared<fakes::MemoryPreferences>();
  const auto typed = converter(kept);
  const auto chosen = kept->values;
  const std::string text = GetParam().text;
  for (std::size_t n = 1; n <= text.size(); ++n) {
    if (n < text.size() && (text[n] & 0xC0) == 0x80) continue;  // within one character
    const std::string prefix = text.substr(0, n);
    typed->editAmount(prefix);
    const auto pasted = converter(nullptr);
    pasted->editAmount(prefix);
    ASSERT_EQ(typed->fromCurrency + typed->toCurrency, pasted->fromCurrency + pasted->toCurrency)
        << prefix;
    ASSERT_EQ(typed->resultText, pasted->resultText) << prefix;
    ASSERT_EQ(typed->exactText, pasted->exactText) << prefix;
    ASSERT_EQ(typed->allConversions, pasted->allConversions) << prefix;
    ASSERT_EQ(kept->values, chosen) << prefix;
    if (std::string_view(GetParam().pair) == "INRGBP") {
      ASSERT_EQ(typed->fromCurrency + typed->toCurrency, "INRGBP") << prefix << " names none";
    }
  }
  EXPECT_EQ(typed->fromCurrency + typed->toCurrency, GetParam().pair);
  EXPECT_NE(typed->resultText, "Invalid");
}

INSTANTIATE_TEST_SUITE_P(
    UnitsAndCurrencies, TypedKeyByKey,
    testing::Values(Typed{"45 lakh", "INRGBP"}, Typed{"5 lakh/12", "INRGBP"},
                    Typed{"7 Lakhs", "INRGBP"}, Typed{"1.5 lakh crore", "INRGBP"},
                    Typed{"2.5 cr", "INRGBP"}, Typed{"10 k", "INRGBP"}, Typed{"3 mn", "INRGBP"},
                    Typed{"2 bn", "INRGBP"}, Typed{"7 lacs + 18%", "INRGBP"},
                    Typed{"3 thousand", "INRGBP"}, Typed{"2 crore 50 lakh", "INRGBP"},
                    Typed{"12,34,567.89/-", "INRGBP"}, Typed{"\u00A3 2.5 cr", "GBPINR"},
                    Typed{"2.5 crore rupees", "INRGBP"}, Typed{"100 usd to eur", "USDEUR"},
                    Typed{"45 lakh in lak", "INRLAK"}, Typed{"100 dirhams", "AEDGBP"}));

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
