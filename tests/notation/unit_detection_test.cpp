#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "notation/unit_type.h"

namespace ovantic {
namespace {

struct Reading {
  const char* typed;
  std::optional<double> value;  // what detect() finds beside the unit
  UnitType unit;
  std::optional<double> amount;  // what parseAmount() makes of it
};

void PrintTo(const Reading& r, std::ostream* os) {
  *os << '"' << r.typed << '"';
}

class TypedAmounts : public testing::TestWithParam<Reading> {};

TEST_P(TypedAmounts, DetectAndParseAgree) {
  const Reading& r = GetParam();
  const auto detection = UnitType::detect(r.typed);
  ASSERT_EQ(detection.has_value(), r.value.has_value());
  if (detection) {
    EXPECT_DOUBLE_EQ(detection->value, *r.value);
    EXPECT_EQ(detection->unit, r.unit);
  }
  const auto amount = UnitType::parseAmount(r.typed);
  ASSERT_EQ(amount.has_value(), r.amount.has_value());
  if (amount) {
    EXPECT_DOUBLE_EQ(*amount, *r.amount);
  }
}

constexpr auto kNoValue = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    ScaleWords, TypedAmounts,
    testing::Values(Reading{"2.5 Cr", 2.5, UnitType::crore, 25'000'000.0},
                    Reading{"2.5 crore", 2.5, UnitType::crore, 25'000'000.0},
                    Reading{"45 lakh", 45, UnitType::lakh, 4'500'000.0},
                    Reading{"1.5L", 1.5, UnitType::lakh, 150'000.0},
                    Reading{"3m", 3, UnitType::million, 3'000'000.0},
                    Reading{"2 Billion", 2, UnitType::billion, 2'000'000'000.0},
                    Reading{"10 k", 10, UnitType::thousand, 10'000.0},
                    Reading{"5 thousand", 5, UnitType::thousand, 5'000.0},
                    Reading{"750", 750, UnitType::none, 750.0},
                    Reading{"-5k", -5, UnitType::thousand, -5'000.0},
                    Reading{"k 10", 10, UnitType::thousand, 10'000.0},
                    Reading{"l 3", 3, UnitType::lakh, 300'000.0},
                    Reading{"CR 2", 2, UnitType::crore, 20'000'000.0},
                    Reading{"2cr5", kNoValue, UnitType::none, kNoValue},
                    Reading{"  7 MILLION\t", 7, UnitType::million, 7'000'000.0},
                    // Non-breaking and ideographic spaces are blanks too.
                    Reading{"\u00A04\u3000k\u2009", 4, UnitType::thousand, 4'000.0}));

INSTANTIATE_TEST_SUITE_P(
    NotAnAmount, TypedAmounts,
    testing::Values(Reading{"1,50,000", kNoValue, UnitType::none, kNoValue},
                    Reading{"abc", kNoValue, UnitType::none, kNoValue},
                    Reading{"ab", kNoValue, UnitType::none, kNoValue},
                    Reading{"2 lakhs", kNoValue, UnitType::none, kNoValue},
                    Reading{"3 crores", kNoValue, UnitType::none, kNoValue},
                    Reading{"1.5 mil", kNoValue, UnitType::none, kNoValue},
                    Reading{"", kNoValue, UnitType::none, kNoValue},
                    Reading{"   ", kNoValue, UnitType::none, kNoValue},
                    Reading{"25,000 k", kNoValue, UnitType::none, kNoValue},
                    Reading{"$5", kNoValue, UnitType::none, kNoValue},
                    Reading{"5 5", kNoValue, UnitType::none, kNoValue},
                    // Line breaks are not blanks, so they are left in the number.
                    Reading{"5\n", kNoValue, UnitType::none, kNoValue},
                    Reading{"5 crore\n", kNoValue, UnitType::none, kNoValue},
                    // The full word counts only at the very end of the text.
                    Reading{"crore 5", kNoValue, UnitType::none, kNoValue}));

INSTANTIATE_TEST_SUITE_P(CLibraryNumberForms, TypedAmounts,
                         testing::Values(Reading{"+3", 3, UnitType::none, 3.0},
                                         Reading{".5", 0.5, UnitType::none, 0.5},
                                         Reading{"5.", 5, UnitType::none, 5.0},
                                         Reading{"1e3", 1000, UnitType::none, 1000.0},
                                         Reading{"2E-2 k", 0.02, UnitType::thousand, 20.0},
                                         Reading{"0x1p3", 8, UnitType::none, 8.0},
                                         Reading{"0x10 k", 16, UnitType::thousand, 16'000.0},
                                         Reading{"1e", kNoValue, UnitType::none, kNoValue},
                                         Reading{"0x", kNoValue, UnitType::none, kNoValue},
                                         Reading{".", kNoValue, UnitType::none, kNoValue},
                                         Reading{"-", kNoValue, UnitType::none, kNoValue}));

TEST(UnitDetection, MatchedTextIsRemovedEverywhereIgnoringCase) {
  auto detection = UnitType::detect("k5K");
  ASSERT_TRUE(detection.has_value());
  EXPECT_EQ(detection->unit, UnitType::thousand);
  EXPECT_DOUBLE_EQ(detection->value, 5.0);

  detection = UnitType::detect("Cr 2 CR");
  ASSERT_TRUE(detection.has_value());
  EXPECT_EQ(detection->unit, UnitType::crore);
  EXPECT_DOUBLE_EQ(detection->value, 2.0);
}

TEST(UnitDetection, AFailedRowDoesNotEndTheSearch) {
  // The lakh row is tried first and matches the lone l, but "m 2" is no number; the million
  // row then matches the m, and "2 l" is no number either, so nothing reads.
  EXPECT_FALSE(UnitType::detect("m 2 l").has_value());
  // The lakh row's rest "2b" is no number, nor is the billion row's rest "l 2".
  EXPECT_FALSE(UnitType::detect("l 2b").has_value());
  // A row without a match is simply skipped: only the thousand row matches here.
  EXPECT_EQ(UnitType::detect("9 K")->unit, UnitType::thousand);
}

TEST(UnitDetection, SpelledInfinityAndNotANumberAreNumbers) {
  const auto nan = UnitType::parseAmount("nan");
  ASSERT_TRUE(nan.has_value());
  EXPECT_TRUE(std::isnan(*nan));
  const auto huge = UnitType::parseAmount("1e400");
  ASSERT_TRUE(huge.has_value());
  EXPECT_TRUE(std::isinf(*huge));
  const auto inf = UnitType::detect("-INF");
  ASSERT_TRUE(inf.has_value());
  EXPECT_TRUE(std::isinf(inf->value));
  EXPECT_LT(inf->value, 0.0);
}

TEST(UnitDetection, HostileTextReadsAsNothing) {
  const std::string invalidUtf8[] = {"\xff", "5\xc3", "\xc0\xb5", "\xed\xa0\x80 5", "5 k\xfe"};
  for (const std::string& text : invalidUtf8) {
    EXPECT_FALSE(UnitType::detect(text).has_value()) << text;
  }
  EXPECT_FALSE(UnitType::detect("\u0301").has_value());                // lone combining mark
  EXPECT_FALSE(UnitType::detect("\U0001F4B0 5").has_value());          // emoji
  EXPECT_FALSE(UnitType::detect(std::string("5\0k", 3)).has_value());  // embedded NUL

  std::string digits(1 << 20, '9');
  const auto big = UnitType::detect(digits);
  ASSERT_TRUE(big.has_value());
  EXPECT_TRUE(std::isinf(big->value));
  digits += " lakh";
  EXPECT_EQ(UnitType::detect(digits)->unit, UnitType::lakh);
}

// Whatever the process locale says, "2.5" has a decimal point and MILLION is million.
class ProcessLocale : public testing::Test {
 protected:
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
  static bool use(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }
};

TEST_F(ProcessLocale, GermanNumericLocaleDoesNotChangeTheDecimalPoint) {
  if (!use("de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not generated on this machine";
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount("2.5 cr"), 25'000'000.0);
  EXPECT_FALSE(UnitType::parseAmount("2,5").has_value());
  EXPECT_EQ(UnitType::formatValue(2'500'000.0, "USD").formatted, "2.50");
}

TEST_F(ProcessLocale, TurkishLocaleStillLowerCasesTheCapitalI) {
  if (!use("tr_TR.UTF-8")) GTEST_SKIP() << "tr_TR.UTF-8 is not generated on this machine";
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount("3 MILLION"), 3'000'000.0);
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount("2 BILLION"), 2'000'000'000.0);
}

}  // namespace
}  // namespace ovantic
