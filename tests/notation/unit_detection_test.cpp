#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "notation/amount_expression.h"
#include "notation/number_reading.h"
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
    testing::Values(Reading{"abc", kNoValue, UnitType::none, kNoValue},
                    Reading{"ab", kNoValue, UnitType::none, kNoValue},
                    Reading{"1.5 mil", kNoValue, UnitType::none, kNoValue},
                    Reading{"", kNoValue, UnitType::none, kNoValue},
                    Reading{"   ", kNoValue, UnitType::none, kNoValue},
                    Reading{"5 5", kNoValue, UnitType::none, kNoValue},
                    Reading{"nan", kNoValue, UnitType::none, kNoValue},
                    Reading{"-INF", kNoValue, UnitType::none, kNoValue},
                    Reading{"1e400", kNoValue, UnitType::none, kNoValue},
                    // Too small for a double's precision: it could not be shown in billions.
                    Reading{"25 / bn 1 / 1e308", kNoValue, UnitType::none, kNoValue},
                    // Line breaks are not blanks, so they are left in the number.
                    Reading{"5\n", kNoValue, UnitType::none, kNoValue},
                    Reading{"5 crore\n", kNoValue, UnitType::none, kNoValue}));

// The badge of an amount with several scales is the largest one, and its value what the whole
// amount makes in it.
INSTANTIATE_TEST_SUITE_P(
    SeveralScales, TypedAmounts,
    testing::Values(Reading{"2 crore 50 lakh", 2.5, UnitType::crore, 25'000'000.0},
                    Reading{"1.5 lakh crore", 150'000, UnitType::crore, 1.5e12},
                    Reading{"50 l + 2 cr", 2.5, UnitType::crore, 25'000'000.0},
                    Reading{"10k/4", 2.5, UnitType::thousand, 2'500.0},
                    Reading{"1,50,000", 150'000, UnitType::none, 150'000.0}));

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

// Amounts as people write them, each beside the plain number it must equal (absent: no amount),
// the currency it names, and whether the user's numbers have a decimal comma.
struct Written {
  const char* typed;
  const char* plain;
  const char* currency = "";
  bool decimalComma = false;
};

void PrintTo(const Written& w, std::ostream* os) {
  *os << '"' << w.typed << '"';
}

class AmountsAsWritten : public testing::TestWithParam<Written> {};

TEST_P(AmountsAsWritten, EqualTheirPlainForm) {
  const Written& w = GetParam();
  const auto reading = readAmount(w.typed, AmountSyntax{w.decimalComma, {}});
  if (w.plain == nullptr) {
    EXPECT_FALSE(reading.has_value()) << reading->amount;
    return;
  }
  ASSERT_TRUE(reading.has_value());
  EXPECT_DOUBLE_EQ(reading->amount, *readNumber(w.plain));
  EXPECT_EQ(reading->currency, w.currency);
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, AmountsAsWritten,
    testing::Values(Written{"5 lakhs", "500000"}, Written{"5 crores", "50000000"},
                    Written{"7 lac", "700000"}, Written{"7 LACS", "700000"},
                    Written{"3 Cr.", "30000000"}, Written{"2 crs", "20000000"},
                    Written{"crore 5", "50000000"}, Written{"10 mn", "10000000"},
                    Written{"4 bn", "4000000000"}, Written{"2 Thousands", "2000"},
                    Written{"3 Millions", "3000000"}, Written{"2 arab", "2000000000"},
                    Written{"5 \u0932\u093E\u0916", "500000"},                // लाख
                    Written{"2 \u0915\u0930\u094B\u0921\u093C", "20000000"},  // करोड़
                    Written{"2 \u0915\u0930\u094B\u095C", "20000000"},
                    Written{"3 \u0939\u091C\u093C\u093E\u0930", "3000"},  // हज़ार
                    Written{"3 \u0939\u091C\u093E\u0930", "3000"},        // हजार
                    Written{"1 \u0905\u0930\u092C", "1000000000"}));      // अरब

INSTANTIATE_TEST_SUITE_P(
    Compounds, AmountsAsWritten,
    testing::Values(Written{"1.5 lakh crore", "1.5e12"}, Written{"2 crore 50 lakh", "25000000"},
                    Written{"3 cr 40 l", "34000000"}, Written{"1 lakh 20 thousand", "120000"},
                    Written{"2 crore 50", nullptr}, Written{"50 lakh 2 crore", nullptr},
                    Written{"2cr5", nullptr}));

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, AmountsAsWritten,
    testing::Values(Written{"2 cr + 50 l", "25000000"}, Written{"1.5 lakh * 12", "1800000"},
                    Written{"(1 cr - 20 l) / 2", "4000000"}, Written{"10k/4", "2500"},
                    Written{"6 \u00D7 2 \u00F7 3", "4"}, Written{"\u22125 + 2", "-3"},
                    Written{"--5", "5"}, Written{"2 + 3 * 4", "14"}, Written{"1/0", nullptr},
                    Written{"0/0", nullptr}, Written{"1e308 * 10", nullptr},
                    Written{"1e308 * 10 / 10", nullptr}, Written{"(1 + 2", nullptr},
                    Written{"1 + 2)", nullptr}, Written{"5 *", nullptr}, Written{"()", nullptr},
                    Written{"(1 + 2) cr", nullptr}));

INSTANTIATE_TEST_SUITE_P(
    Currencies, AmountsAsWritten,
    testing::Values(
        Written{"\u20B9500", "500", "\u20B9"}, Written{"Rs. 5 lakh", "500000", "Rs"},
        Written{"Rs.500", "500", "Rs"}, Written{"10 USD", "10", "USD"},
        Written{"inr 2 cr", "20000000", "inr"}, Written{"US$ 3", "3", "US$"},
        Written{"\u20AC 2,50", "2.5", "\u20AC"}, Written{"\u20B9 207.8 Cr", "2078000000", "\u20B9"},
        Written{"\u20B9 5 + \u20B9 5", "10", "\u20B9"}, Written{"\u20B9 5 + $ 5", nullptr},
        Written{"10 XYZ", nullptr}, Written{"10 abc", nullptr}, Written{"45 lak", nullptr},
        Written{"Rs 12,34,567.89/-", "1234567.89", "Rs"}, Written{"100 usd to eur", "100", "usd"},
        Written{"5 l in inr", "500000"}, Written{"100 usd to", nullptr},
        Written{"100 to eur 5", nullptr}, Written{"100 to k", nullptr}));

// The forms people type beside scale words and signs.
INSTANTIATE_TEST_SUITE_P(
    TypedForms, AmountsAsWritten,
    testing::Values(Written{"12.5 lakh + 18%", "1475000"}, Written{"200 - 10%", "180"},
                    Written{"50%", "0.5"}, Written{"200 * 10% + 1", "21"},
                    Written{"3,5 Mio", "3500000", "", true}, Written{"2 Mrd.", "2000000000"},
                    Written{"1 23 456", "123456"}, Written{"10 000 k", "10000000"},
                    Written{"1 2345", nullptr}, Written{"5/-", "5"},
                    Written{"9999999999999.99", "9999999999999.99"}, Written{"1e13", nullptr},
                    Written{"-1e13", nullptr}));

INSTANTIATE_TEST_SUITE_P(
    DecimalSignsAndDigits, AmountsAsWritten,
    testing::Values(
        Written{"2,5 cr", "25000000", "", true}, Written{"2,50", "2.5", "", true},
        Written{"1.234,5", "1234.5", "", true}, Written{"1,234", "1.234", "", true},
        Written{"2.5 cr", "25000000", "", true}, Written{"1\u202F234,56", "1234.56", "", true},
        Written{"2,5 cr", "25000000"}, Written{"1,00,000", "100000"},
        Written{"\u0968.\u096B \u0915\u0930\u094B\u0921\u093C", "25000000"},
        Written{"\u0662\u066B\u0665 cr", "25000000"},
        Written{"\u0661\u0660\u066C\u0660\u0660\u0660", "10000"}, Written{"\u06F1\u06F2", "12"},
        // N'Ko digits grouped with the Arabic comma, as ICU 76 writes them
        Written{"\u07C1\u07C0\u07C2\u060C\u07C6\u07C1\u07C7.\u07C0\u07C4", "102617.04"}));

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

TEST(UnitDetection, HostileTextReadsAsNothing) {
  const std::string invalidUtf8[] = {"\xff", "5\xc3", "\xc0\xb5", "\xed\xa0\x80 5", "5 k\xfe"};
  for (const std::string& text : invalidUtf8) {
    EXPECT_FALSE(UnitType::detect(text).has_value()) << text;
  }
  EXPECT_FALSE(UnitType::detect("\u0301").has_value());                // lone combining mark
  EXPECT_FALSE(UnitType::detect("\U0001F4B0 5").has_value());          // emoji
  EXPECT_FALSE(UnitType::detect(std::string("5\0k", 3)).has_value());  // embedded NUL

  // Too large to be finite, too deep to be typed, too long to read slowly.
  std::string digits(1 << 20, '9');
  EXPECT_FALSE(UnitType::detect(digits).has_value());
  EXPECT_FALSE(
      UnitType::detect("(((((((((((((((((((((((((((((((((1)))))))))))))))))))))))))))))))))"));
  EXPECT_TRUE(
      UnitType::detect("((((((((((((((((((((((((((((((((1))))))))))))))))))))))))))))))))"));
  std::string sum = "1";
  for (int i = 0; i < 100'000; ++i) sum += "+1";
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount(sum), 100'001.0);
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
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount("2,500"), 2'500.0);
  EXPECT_EQ(UnitType::formatValue(2'500'000.0, "USD").formatted, "2.50");
}

TEST_F(ProcessLocale, TurkishLocaleStillLowerCasesTheCapitalI) {
  if (!use("tr_TR.UTF-8")) GTEST_SKIP() << "tr_TR.UTF-8 is not generated on this machine";
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount("3 MILLION"), 3'000'000.0);
  EXPECT_DOUBLE_EQ(*UnitType::parseAmount("2 BILLION"), 2'000'000'000.0);
}

}  // namespace
}  // namespace ovantic
