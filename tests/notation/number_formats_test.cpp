#include "notation/number_formats.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "notation/user_locale.h"

namespace ovantic {
namespace {

struct Shown {
  const char* locale;
  double value;
  const char* twoDecimals;
  const char* upToTwo;
};

class LocaleNumbers : public testing::TestWithParam<Shown> {};

TEST_P(LocaleNumbers, GroupingAndDecimalMarkFollowTheLocale) {
  const Shown& s = GetParam();
  const auto formats = NumberFormats::forLocale(s.locale);
  EXPECT_EQ(formats->twoDecimals(s.value), s.twoDecimals);
  EXPECT_EQ(formats->upToTwoDecimals(s.value), s.upToTwo);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleNumbers,
    testing::Values(Shown{"en_US", 1234.5, "1,234.50", "1,234.5"},
                    Shown{"en_US", 2.5, "2.50", "2.5"}, Shown{"en_US", 5, "5.00", "5"},
                    Shown{"en_US", 0.125, "0.12", "0.12"},  // half-even
                    Shown{"en_US", 0.135, "0.14", "0.14"},
                    Shown{"en_US", 12.3456, "12.35", "12.35"}, Shown{"en_US", -5, "-5.00", "-5"},
                    Shown{"en_US", 300769.97, "300,769.97", "300,769.97"},
                    Shown{"en_IN", 1234567.891, "12,34,567.89", "12,34,567.89"},
                    Shown{"de_DE", 1234567.891, "1.234.567,89", "1.234.567,89"},
                    Shown{"fr_FR", 2.5, "2,50", "2,5"}));

TEST(LocaleNumbers, FormattersAreSharedPerLocale) {
  EXPECT_EQ(NumberFormats::forLocale("en_IN"), NumberFormats::forLocale("en_IN"));
  EXPECT_NE(NumberFormats::forLocale("en_IN"), NumberFormats::forLocale("en_US"));
}

TEST(PosixLocaleNames, BecomeIcuIds) {
  EXPECT_EQ(icuLocaleIdFromPosix("de_DE.UTF-8"), "de_DE");
  EXPECT_EQ(icuLocaleIdFromPosix("en_IN@something"), "en_IN");
  EXPECT_EQ(icuLocaleIdFromPosix("C"), "en_US");
  EXPECT_EQ(icuLocaleIdFromPosix("C.UTF-8"), "en_US");
  EXPECT_EQ(icuLocaleIdFromPosix("POSIX"), "en_US");
  EXPECT_EQ(icuLocaleIdFromPosix(""), "en_US");
}

// Sets the locale variables for one test and puts the old ones back.
class LocaleEnvironment : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

  static constexpr const char* kNames[] = {"LC_ALL", "LC_NUMERIC", "LANG", "LC_MESSAGES"};
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(LocaleEnvironment, ConfiguredLocaleWins) {
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(resolveLocaleId("en_IN"), "en_IN");
}

TEST_F(LocaleEnvironment, NumericLocaleIsPickedAsTheCLibraryDoes) {
  EXPECT_EQ(resolveLocaleId(""), "en_US");
  setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);  // never consulted for numbers
  EXPECT_EQ(resolveLocaleId(""), "en_US");
  setenv("LANG", "en_GB.UTF-8", 1);
  EXPECT_EQ(resolveLocaleId(""), "en_GB");
  setenv("LC_NUMERIC", "en_IN.UTF-8", 1);
  EXPECT_EQ(resolveLocaleId(""), "en_IN");
  setenv("LC_ALL", "de_DE.UTF-8", 1);
  EXPECT_EQ(resolveLocaleId(""), "de_DE");
  setenv("LC_ALL", "", 1);  // empty counts as unset
  EXPECT_EQ(resolveLocaleId(""), "en_IN");
  setenv("LC_ALL", "POSIX", 1);
  EXPECT_EQ(resolveLocaleId(""), "en_US");
}

}  // namespace
}  // namespace ovantic
