#include "rates/relative_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace ovantic {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::system_clock;

TEST(RelativeTime, NoIntervalIsWordedAsThePresentInAbbreviatedUnits) {
  const Clock::time_point now = Clock::now();
  EXPECT_EQ(relativeTimeText("en_US", now, now), "in 0 sec.");
}

// Two readings of the clock: the first is a hair earlier than the reference. That must not read
// as the past ("0 sec. ago").
TEST(RelativeTime, ReadingJustBeforeTheReferenceIsStillThePresent) {
  const Clock::time_point reference = Clock::now();
  for (const char* locale : {"en_US", "en_IN", "de_DE", "hi_IN", "fr_FR", "ja_JP"}) {
    SCOPED_TRACE(locale);
    EXPECT_EQ(relativeTimeText(locale, reference - 3us, reference),
              relativeTimeText(locale, reference, reference));
    EXPECT_EQ(relativeTimeText(locale, reference - 999ms, reference),
              relativeTimeText(locale, reference, reference));
  }
}

TEST(RelativeTime, FollowsTheLocale) {
  const Clock::time_point now = Clock::now();
  EXPECT_NE(relativeTimeText("de_DE", now, now), relativeTimeText("en_US", now, now));
}

TEST(RelativeTime, PicksTheLargestWholeUnit) {
  const Clock::time_point reference = Clock::now();
  EXPECT_EQ(relativeTimeText("en_US", reference - 90s, reference), "1 min. ago");
  EXPECT_EQ(relativeTimeText("en_US", reference + 50h, reference), "in 2 days");
  EXPECT_EQ(relativeTimeText("en_US", reference - 45s, reference), "45 sec. ago");
}

TEST(RelativeTime, FallsBackWhenTheLocaleCannotBeHeld) {
  const Clock::time_point now = Clock::now();
  EXPECT_EQ(relativeTimeText(std::string(300, 'a'), now, now), "now");
}

}  // namespace
}  // namespace ovantic
