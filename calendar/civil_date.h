// Dates of the proleptic Gregorian calendar as plain values, with the day arithmetic the
// calendar rules need. No clock and no time zone: a date is what the local clock shows.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tollvane {

struct CivilDate {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  auto operator<=>(const CivilDate&) const = default;
};

bool IsValidDate(int32_t year, int32_t month, int32_t day);
inline bool IsValidDate(CivilDate date) {
  return IsValidDate(date.year, date.month, date.day);
}

// Days since 1970-01-01 and back.
int64_t DaysFromCivil(CivilDate date);
CivilDate CivilFromDays(int64_t days);

inline CivilDate AddDays(CivilDate date, int64_t days) {
  return CivilFromDays(DaysFromCivil(date) + days);
}

// 1 = Sunday .. 7 = Saturday, the numbering of the clock and of the timetables.
int Weekday(CivilDate date);
inline constexpr int kSunday = 1;
inline constexpr int kMonday = 2;
// The week as the pages and the windows list it, Monday first.
inline constexpr int kWeekdaysMondayFirst[7] = {2, 3, 4, 5, 6, 7, 1};

// "日" .. "土" for 1..7.
std::string_view WeekdayName(int weekday);

// "2026/6/1(月)", as the windows show dates.
std::string ShownDate(CivilDate date);

// "YYYY/M/D" with one or two digits for month and day and four for the year; nothing else
// around it. Nothing for an impossible date such as 2025/2/29.
std::optional<CivilDate> ParseDate(std::string_view text);

// "YYYY/MM/DD".
std::string FormatDate(CivilDate date);

}  // namespace tollvane
