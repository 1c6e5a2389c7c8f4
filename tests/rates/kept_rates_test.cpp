#include "rates/kept_rates.h"

#include <gtest/gtest.h>

#include <string>

#include "rates/rates_age.h"

namespace ovantic {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

const KeptRates kKept{{{"USD", 1.0}, {"EUR", 0.92}, {"INR", 83.12}},
                      "2024-12-28",
                      "https://rates.test/v4/latest/USD",
                      Clock::time_point(1735344001s)};

TEST(KeptRates, WhatIsWrittenReadsBack) {
  const std::optional<KeptRates> back = decodeKeptRates(encodeKeptRates(kKept));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->rates, kKept.rates);
  EXPECT_EQ(back->date, kKept.date);
  EXPECT_EQ(back->source, kKept.source);
  EXPECT_EQ(back->fetchedAt, kKept.fetchedAt);
}

// A file cut off anywhere, or one that is not ours, gives no rates at all.
TEST(KeptRates, DamagedOrForeignFilesGiveNothing) {
  const std::string good = encodeKeptRates(kKept);
  for (std::size_t length = 0; length < good.size(); ++length) {
    ASSERT_FALSE(decodeKeptRates(good.substr(0, length))) << length;
  }
  auto with = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  for (const std::string& bad :
       {with("0.92", "0"), with("0.92", "-0.92"), with("0.92", "\"0.92\""), with("0.92", "1e999"),
        with("83.12", "5e-324"), with("83.12", "1e308"), with("1.0", "1.02"),
        with("ovantic-kept-rates-1", "ovantic-kept-rates-2"), with("1735344001", "\"1735344001\""),
        with("1735344001", "99999999999999"), with("2024-12-28", "yesterday"),
        with("2024-12-28", "2024-02-31"), std::string(R"({"rates":{"EUR":0.92}})"),
        with("\"rates\"", "\"Rates\""), std::string("\x89PNG\r\n"), good + "x"}) {
    EXPECT_FALSE(decodeKeptRates(bad)) << bad;
  }
  // A name that is no code is left out by the same rule as in a reply, not fatal to the table.
  const std::optional<KeptRates> dropped = decodeKeptRates(with("\"EUR\"", "\"usdt\""));
  ASSERT_TRUE(dropped);
  EXPECT_EQ(dropped->rates, (RateTable{{"USD", 1.0}, {"INR", 83.12}}));
}

TEST(RatesAge, FooterTextsInTheUsersLocale) {
  const Clock::time_point fetched = kKept.fetchedAt;
  struct Row {
    const char* locale;
    Clock::duration age;
    bool kept;
    const char* text;
  };
  const Row rows[] = {
      {"en_GB", 0s, false, "Rates of 28 Dec 2024, fetched just now"},
      {"en_GB", 59s, false, "Rates of 28 Dec 2024, fetched just now"},
      {"en_GB", 60s, false, "Rates of 28 Dec 2024, fetched 1 minute ago"},
      {"en_GB", 2h + 5min, false, "Rates of 28 Dec 2024, fetched 2 hours ago"},
      {"en_GB", 3 * 24h + 1h, true, "Rates of 28 Dec 2024, kept 3 days"},
      {"en_GB", 10s, true, "Rates of 28 Dec 2024, kept under a minute"},
      {"en_US", 1500 * 24h, true, "Rates of Dec 28, 2024, kept 1,500 days"},
      // Words stay the panel's; the date and numbers are the locale's.
      {"de_DE", 1500 * 24h, true, "Rates of 28.12.2024, kept 1.500 days"},
      {"ar_EG", 5min, false,
       "Rates of \u0662\u0668\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0664, fetched "
       "\u0665 minutes ago"},
      // A clock set back makes no rates from the future.
      {"en_GB", -1h, false, "Rates of 28 Dec 2024, fetched just now"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.locale) + " " + row.text);
    EXPECT_EQ(ratesAgeText(row.locale, kKept.date, fetched, fetched + row.age, row.kept), row.text);
  }
  EXPECT_EQ(ratesAgeText("en_GB", "", fetched, fetched, false), "Rates fetched just now");
  EXPECT_EQ(ratesAgeText("en_GB", "2024-02-30", fetched, fetched + 2min, true),
            "Rates kept 2 minutes");
}

TEST(RatesAge, NextChangeIsAtTheNextWholeUnit) {
  const Clock::time_point fetched = kKept.fetchedAt;
  EXPECT_EQ(untilRatesAgeChanges(fetched, fetched), 60s);
  EXPECT_EQ(untilRatesAgeChanges(fetched, fetched + 61s + 500ms), 58500ms);
  EXPECT_EQ(untilRatesAgeChanges(fetched, fetched + 90min), 30min);
  EXPECT_EQ(untilRatesAgeChanges(fetched, fetched + 25h), 23h);
  EXPECT_EQ(untilRatesAgeChanges(fetched, fetched - 5s), 60s);
}

}  // namespace
}  // namespace ovantic
