#include <gtest/gtest.h>

#include <cmath>

#include "fakes.h"

namespace ovantic {
namespace {

using fakes::ConverterUnderTest;
using fakes::kIndia;

TEST(ListTexts, TwoDecimalsWithGroupingAndUnit) {
  ConverterUnderTest c;
  const CurrencyConverterView& v = *c.view;
  EXPECT_EQ(v.formatConversionValue(2.5, UnitType::crore), "2.50 Cr");
  EXPECT_EQ(v.formatConversionValue(1234.5, UnitType::none), "1,234.50");
  EXPECT_EQ(v.formatConversionValue(12.3456, UnitType::lakh), "12.35 L");
  EXPECT_EQ(v.formatConversionValue(0.125, UnitType::thousand), "0.12 K");
  EXPECT_EQ(v.formatConversionValue(-5, UnitType::million), "-5.00 M");
  EXPECT_EQ(v.formatValueWithCurrency(2.5, UnitType::crore, "INR"), "\u20B9 2.50 Cr");
  EXPECT_EQ(v.formatValueWithCurrency(1234.5, UnitType::none, "USD"), "$ 1,234.50");
  EXPECT_EQ(v.formatValueWithCurrency(3.25, UnitType::million, "EUR"), "\u20AC 3.25 M");
  EXPECT_EQ(v.formatValueWithCurrency(1, UnitType::billion, "SEK"), "SEK 1.00 B");
}

TEST(ListTexts, LocaleChangesTheNumberOnly) {
  ConverterUnderTest indian("en_IN");
  EXPECT_EQ(indian.view->formatConversionValue(1234567.891, UnitType::none), "12,34,567.89");
  ConverterUnderTest german("de_DE");
  EXPECT_EQ(german.view->formatValueWithCurrency(1234.5, UnitType::lakh, "INR"),
            "\u20B9 1.234,50 L");
}

struct Cleanup {
  std::string text;
  std::string numeric;
  std::string withCurrency;
};

class ResultTextCleanup : public testing::TestWithParam<Cleanup> {};

TEST_P(ResultTextCleanup, BareNumberAndCopyText) {
  ConverterUnderTest c;  // target INR
  const Cleanup& row = GetParam();
  EXPECT_EQ(c.view->extractNumericValue(row.text), row.numeric);
  EXPECT_EQ(c.view->extractValueWithCurrency(row.text), row.withCurrency);
}

const std::string kRupee = "\u20B9";

INSTANTIATE_TEST_SUITE_P(
    Shapes, ResultTextCleanup,
    testing::Values(Cleanup{kIndia + " 2.5 Cr", "2.5", kRupee + " 2.5 Cr"},
                    Cleanup{kIndia + " 99,999.5", "99999.5", kRupee + " 99,999.5"},
                    Cleanup{" 2.5 L", "2.5", kRupee + " 2.5 L"},
                    Cleanup{"---", "---", kRupee + " ---"},
                    Cleanup{"Invalid", "Invalid", kRupee + " Invalid"},
                    Cleanup{"", "", kRupee + " "},
                    Cleanup{kIndia + "1,234", "1234", kRupee + " 1234"},
                    Cleanup{"a  b", "", kRupee + "  b"}, Cleanup{"a b c d", "b", kRupee + " b c"},
                    // Only blanks are trimmed; the flag of another currency stays.
                    Cleanup{"\t7\u00A0", "7", kRupee + " 7"},
                    Cleanup{"\U0001F1FA\U0001F1F87", "\U0001F1FA\U0001F1F87",
                            kRupee + " \U0001F1FA\U0001F1F87"}));

TEST(ResultTextCleanupTarget, ReadsTheCurrentTargetAtCallTime) {
  ConverterUnderTest c;
  c.view->toCurrency = "CHF";
  EXPECT_EQ(c.view->extractValueWithCurrency("\U0001F1E8\U0001F1ED1,5"), "Fr 15");
  c.view->toCurrency = "XYZ";  // no flag: nothing to strip, the code stands for the sign
  EXPECT_EQ(c.view->extractValueWithCurrency("12"), "XYZ 12");
}

}  // namespace
}  // namespace ovantic
