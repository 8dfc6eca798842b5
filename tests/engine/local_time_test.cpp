#include "engine/local_time.h"

#include <gtest/gtest.h>
#include <time.h>

namespace tollvane {
namespace {

struct KnownDate {
  int year, month, day, weekday;
};

TEST(CalendarArithmetic, KnownDatesBreakDownWithTheirWeekday) {
  // Weekday 1 = Sunday. Century leap rules, the epoch, the far ends of the range.
  const KnownDate dates[] = {
      {1970, 1, 1, 5},   {2011, 4, 1, 6},   {2000, 2, 29, 3}, {1900, 3, 1, 5},
      {1900, 2, 28, 4},  {2024, 12, 31, 3}, {2027, 1, 4, 2},  {1, 1, 1, 2},
      {9999, 12, 31, 6}, {1969, 12, 31, 4}, {1600, 2, 29, 3},
  };
  for (const KnownDate& d : dates) {
    SCOPED_TRACE(std::to_string(d.year) + "-" + std::to_string(d.month) + "-" +
                 std::to_string(d.day));
    const CurrentClock c = BreakDown(LocalSecondsOf(d.year, d.month, d.day, 23, 59, 58));
    EXPECT_EQ(c.year, d.year);
    EXPECT_EQ(c.month, d.month);
    EXPECT_EQ(c.day, d.day);
    EXPECT_EQ(c.weekday, d.weekday);
    EXPECT_EQ(c.hour, 23);
    EXPECT_EQ(c.minute, 59);
    EXPECT_EQ(c.second, 58);
  }
}

TEST(CalendarArithmetic, EveryDayFromYearOneTo9999RoundTripsAndWeekdaysCycle) {
  int64_t day = LocalSecondsOf(1, 1, 1, 0, 0, 0) / 86400;
  const int64_t last = LocalSecondsOf(9999, 12, 31, 0, 0, 0) / 86400;
  CurrentClock previous = BreakDown(day * 86400);
  for (++day; day <= last; ++day) {
    const CurrentClock c = BreakDown(day * 86400 + 43200);
    ASSERT_EQ(LocalSecondsOf(c.year, c.month, c.day, 12, 0, 0), day * 86400 + 43200);
    ASSERT_EQ(c.weekday, previous.weekday % 7 + 1);
    const bool nextDay =
        c.year == previous.year && c.month == previous.month && c.day == previous.day + 1;
    const bool nextMonth =
        c.day == 1 && ((c.month == previous.month + 1 && c.year == previous.year) ||
                       (c.month == 1 && previous.month == 12 && c.year == previous.year + 1));
    ASSERT_TRUE(nextDay || nextMonth) << c.year << "-" << c.month << "-" << c.day;
    previous = c;
  }
}

TEST(CalendarArithmetic, SecondsBeforeTheEpochFallIntoThePreviousDay) {
  const CurrentClock c = BreakDown(-1);
  EXPECT_EQ(c.year, 1969);
  EXPECT_EQ(c.month, 12);
  EXPECT_EQ(c.day, 31);
  EXPECT_EQ(c.hour, 23);
  EXPECT_EQ(c.minute, 59);
  EXPECT_EQ(c.second, 59);
}

TEST(TickScheduling, NextTickComesSlackPastTheComingBoundary) {
  EXPECT_EQ(MillisecondsToNextTick({100, 997}, 5), 8);
  // A tick a little after the boundary is that second's tick, not an early one for the next.
  EXPECT_EQ(MillisecondsToNextTick({100, 2}, 5), 1003);
  EXPECT_EQ(MillisecondsToNextTick({100, 5}, 5), 1000);
  EXPECT_EQ(MillisecondsToNextTick({100, 0}, 0), 1000);
  EXPECT_EQ(MillisecondsToNextTick({100, 999}, 0), 1);
  // A timer that fires early, just before the boundary, still lands after it.
  EXPECT_EQ(MillisecondsToNextTick({99, 998}, 5), 7);
  // Nonsense input never yields a zero or negative wait.
  EXPECT_GE(MillisecondsToNextTick({100, 1500}, -20), 1);
  EXPECT_GE(MillisecondsToNextTick({100, -3}, 5), 1);
}

TEST(SystemClockTest, ReadsLocalTimeWithTheZoneOffsetApplied) {
  const time_t before = time(nullptr);
  const LocalTime now = SystemClock().now();
  const time_t after = time(nullptr);
  tm local{};
  localtime_r(&before, &local);
  const int64_t expectedBefore =
      LocalSecondsOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                     local.tm_min, local.tm_sec);
  EXPECT_GE(now.localSeconds, expectedBefore);
  EXPECT_LE(now.localSeconds, expectedBefore + (after - before));
  EXPECT_GE(now.millisecond, 0);
  EXPECT_LE(now.millisecond, 999);
  EXPECT_EQ(BreakDown(now.localSeconds).weekday, local.tm_wday + 1);
}

}  // namespace
}  // namespace tollvane
