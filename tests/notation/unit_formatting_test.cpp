#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "notation/unit_type.h"

namespace ovantic {
namespace {

TEST(UnitCases, TableValuesAndOrder) {
  const auto& all = UnitType::allCases();
  ASSERT_EQ(all.size(), 6u);
  const char* raw[] = {"", "thousand", "million", "billion", "lakh", "crore"};
  const char* shortForms[] = {"", "K", "M", "B", "L", "Cr"};
  const double multipliers[] = {1, 1e3, 1e6, 1e9, 1e5, 1e7};
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].rawValue(), raw[i]);
    EXPECT_EQ(all[i].id(), raw[i]);
    EXPECT_EQ(all[i].shortForm(), shortForms[i]);
    EXPECT_EQ(all[i].multiplier(), multipliers[i]);
    EXPECT_EQ(UnitType::fromRawValue(raw[i]), all[i]);
  }
}

TEST(UnitCases, RawValueLookupIsExact) {
  EXPECT_EQ(UnitType::fromRawValue(""), UnitType::none);
  EXPECT_FALSE(UnitType::fromRawValue("Crore").has_value());
  EXPECT_FALSE(UnitType::fromRawValue(" lakh").has_value());
  EXPECT_FALSE(UnitType::fromRawValue("cr").has_value());
  // The absent unit is not the unit none.
  EXPECT_NE(std::optional<UnitType>(), std::optional<UnitType>(UnitType::none));
}

struct Choice {
  double value;
  const char* currency;
  const char* formatted;
  UnitType unit;
};

class DisplayUnitChoice : public testing::TestWithParam<Choice> {};

TEST_P(DisplayUnitChoice, PicksUnitThenRounds) {
  const Choice& c = GetParam();
  const UnitFormatting result = UnitType::formatValue(c.value, c.currency);
  EXPECT_EQ(result.formatted, c.formatted);
  EXPECT_EQ(result.unit, c.unit);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, DisplayUnitChoice,
    testing::Values(Choice{25'000'000, "INR", "2.50", UnitType::crore},
                    Choice{150'000, "INR", "1.50", UnitType::lakh},
                    Choice{9'999'999, "INR", "100.00", UnitType::lakh},
                    Choice{99'999.99, "INR", "99999.99", UnitType::none},
                    Choice{5'000'000'000, "INR", "500.00", UnitType::crore},
                    Choice{10'000'000, "INR", "1.00", UnitType::crore},
                    Choice{100'000, "INR", "1.00", UnitType::lakh},
                    Choice{1'234'567, "USD", "1.23", UnitType::million},
                    Choice{2'500'000'000, "EUR", "2.50", UnitType::billion},
                    Choice{1'000'000'000, "USD", "1.00", UnitType::billion},
                    Choice{5'000, "USD", "5000.00", UnitType::none},
                    Choice{150'000, "USD", "150000.00", UnitType::none},
                    Choice{-3'000'000, "USD", "-3000000.00", UnitType::none},
                    // Only the exact code is the rupee.
                    Choice{25'000'000, "inr", "25.00", UnitType::million},
                    // "%.2f" rounds the binary value half-even: 0.125 is exact, 0.135 is not.
                    Choice{0.125, "USD", "0.12", UnitType::none},
                    Choice{0.375, "USD", "0.38", UnitType::none}));

TEST(DisplayUnitChoice, NotANumberAndInfinity) {
  const auto nan = UnitType::formatValue(std::nan(""), "INR");
  EXPECT_EQ(nan.unit, UnitType::none);
  EXPECT_EQ(nan.formatted, "nan");
  const auto inf = UnitType::formatValue(std::numeric_limits<double>::infinity(), "USD");
  EXPECT_EQ(inf.unit, UnitType::billion);
  EXPECT_EQ(inf.formatted, "inf");
  // The largest double is written out in full, not cut off.
  EXPECT_EQ(UnitType::formatValue(-std::numeric_limits<double>::max(), "USD").formatted.size(),
            313u);
}

}  // namespace
}  // namespace ovantic
