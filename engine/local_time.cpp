#include "engine/local_time.h"

#include <time.h>

#include <algorithm>

namespace tollvane {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Floor division, so that instants before 1970 fall into the right day and second.
constexpr int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
constexpr int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2 ? 1 : 0;
  const int64_t era = FloorDiv(y, 400);
  const int64_t yoe = y - era * 400;                                   // [0, 399]
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;  // [0, 365]
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // [0, 146096]
  return era * 146097 + doe - 719468;
}

struct Civil {
  int64_t year;
  int month;
  int day;
};

constexpr Civil CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = FloorDiv(z, 146097);
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(2000, 3, 1) == 11017);

}  // namespace

CurrentClock BreakDown(int64_t localSeconds) {
  const int64_t days = FloorDiv(localSeconds, kSecondsPerDay);
  const int64_t secondOfDay = localSeconds - days * kSecondsPerDay;
  const Civil date = CivilFromDays(days);

  CurrentClock c;
  c.year = static_cast<int32_t>(date.year);
  c.month = date.month;
  c.day = date.day;
  c.hour = static_cast<int32_t>(secondOfDay / 3600);
  c.minute = static_cast<int32_t>(secondOfDay / 60 % 60);
  c.second = static_cast<int32_t>(secondOfDay % 60);
  // 1970-01-01 was a Thursday, weekday 5 when Sunday is 1.
  c.weekday = static_cast<int32_t>((days + 4 - FloorDiv(days + 4, 7) * 7) + 1);
  return c;
}

int64_t LocalSecondsOf(int year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, month, day) * kSecondsPerDay + int64_t{hour} * 3600 +
         int64_t{minute} * 60 + second;
}

int MillisecondsToNextTick(const LocalTime& now, int slackMs) {
  // A tick at any point of a second is that second's tick, so the next one is always due
  // after the coming boundary, never at the one just passed.
  const int millisecond = std::clamp(now.millisecond, 0, 999);
  const int slack = std::clamp(slackMs, 0, 999);
  return 1000 - millisecond + slack;
}

LocalTime SystemClock::now() const {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local{};
  const time_t seconds = ts.tv_sec;
  LocalTime t;
  // tm_gmtoff is the offset in force at this instant, so a DST change shows up as a jump.
  if (localtime_r(&seconds, &local) != nullptr) {
    t.localSeconds = static_cast<int64_t>(ts.tv_sec) + local.tm_gmtoff;
  } else {
    t.localSeconds = static_cast<int64_t>(ts.tv_sec);
  }
  t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
  return t;
}

}  // namespace tollvane
