// The one day answer, the bells of a day in ringing order, the preview and the next bell.
#include "calendar/day_verdict.h"

#include <gtest/gtest.h>

namespace tollvane {
namespace {

HolidayList Holidays(std::initializer_list<std::pair<int, int>> pairs, int count) {
  HolidayList list;
  int n = 1;
  for (const auto& [month, day] : pairs) {
    list.at(n).month = month;
    list.at(n).day = day;
    ++n;
  }
  list.count = count;
  return list;
}

TEST(JudgeDay, HolidayListIsStrongestAndOpenDaysOverrideTheRest) {
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  calendar.closedPeriods = {{{2026, 7, 20}, {2026, 8, 31}, "夏休み"},
                            {{2026, 3, 25}, {2026, 3, 31}, ""}};
  calendar.openDays = {
      {{2026, 8, 1}, "登校日"}, {{2026, 11, 3}, "文化祭"}, {{2026, 5, 5}, "開放日"}};
  calendar.importedDays = {{{2026, 6, 1}, "開校記念日"}, {{2026, 6, 2}, ""}};
  const HolidayList holidays = Holidays({{5, 5}, {6, 15}}, 2);
  struct {
    CivilDate date;
    DayVerdict verdict;
  } const kCases[] = {
      {{2026, 5, 5}, {true, DayReason::kHolidayList, "休日設定"}},  // open day too
      {{2026, 11, 3}, {false, DayReason::kOpenDay, "文化祭"}},      // 文化の日
      {{2026, 8, 1}, {false, DayReason::kOpenDay, "登校日"}},       // inside 夏休み
      {{2026, 7, 20}, {true, DayReason::kNationalHoliday, "海の日"}},
      {{2026, 7, 21}, {true, DayReason::kClosedPeriod, "夏休み"}},
      {{2026, 8, 31}, {true, DayReason::kClosedPeriod, "夏休み"}},
      {{2026, 9, 1}, {false, DayReason::kSchoolDay, ""}},
      {{2026, 3, 25}, {true, DayReason::kClosedPeriod, "休業期間"}},
      {{2026, 6, 1}, {true, DayReason::kImportedDay, "開校記念日"}},
      {{2026, 6, 2}, {true, DayReason::kImportedDay, "休日"}},
      {{2026, 6, 3}, {false, DayReason::kSchoolDay, ""}},
      {{2027, 6, 15}, {true, DayReason::kHolidayList, "休日設定"}},  // every year
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(JudgeDay(calendar, holidays, c.date), c.verdict) << FormatDate(c.date);
  }
  calendar.nationalHolidays = false;
  EXPECT_EQ(JudgeDay(calendar, holidays, {2026, 1, 1}), DayVerdict{});
}

TEST(JudgeDay, CalendarOffIsTheHolidayListRuleOfEntriesOneToCount) {
  // Entry 3 lies beyond the count and entry 48 is the last the engine may read.
  HolidayList holidays = Holidays({{1, 1}, {12, 25}, {4, 1}}, 2);
  holidays.at(48) = {3, 3, " 3/ 3"};
  const SchoolCalendar off;
  for (int count : {-5, 0, 2, 48, 1000}) {
    holidays.count = count;
    for (CivilDate date{2024, 1, 1}; date.year == 2024; date = AddDays(date, 1)) {
      bool listed = false;
      for (int n = 1; n <= std::min(count, kHolidayCapacity); ++n) {
        listed |= holidays.at(n).month == date.month && holidays.at(n).day == date.day;
      }
      ASSERT_EQ(JudgeDay(off, holidays, date).silent, listed) << count << " " << FormatDate(date);
    }
  }
}

WeekSchedule Schedule() {
  WeekSchedule schedule;
  ResetWeekSchedule(schedule);
  schedule.at(kCommonTimetable, 1) = {8, 30, 1};
  schedule.at(kCommonTimetable, 2) = {12, 0, 2};
  schedule.at(2, 1) = {8, 30, 3};  // Monday, same minute as the common slot
  schedule.at(2, 5) = {7, 45, 4};
  schedule.at(2, 6) = {0, 5, 5};   // rings at 0:05
  schedule.at(2, 7) = {24, 0, 6};  // never on the clock
  schedule.at(2, 8) = {9, 60, 6};
  schedule.at(1, 3) = {10, 0, 7};  // Sunday: no common timetable
  return schedule;
}

TEST(BellsOfWeekday, RingingOrderAsTheTickRingsThem) {
  const WeekSchedule schedule = Schedule();
  const std::vector<RingingBell> monday = {
      {0, 5, 5}, {7, 45, 4}, {8, 30, 1}, {8, 30, 3}, {12, 0, 2}};
  EXPECT_EQ(BellsOfWeekday(schedule, 2), monday);
  const std::vector<RingingBell> tuesday = {{8, 30, 1}, {12, 0, 2}};
  EXPECT_EQ(BellsOfWeekday(schedule, 3), tuesday);
  const std::vector<RingingBell> sunday = {{10, 0, 7}};
  EXPECT_EQ(BellsOfWeekday(schedule, 1), sunday);
  EXPECT_TRUE(BellsOfWeekday(schedule, 7).empty());
  WeekSchedule reset;
  ResetWeekSchedule(reset);
  EXPECT_TRUE(BellsOfWeekday(reset, 4).empty());
}

TEST(PreviewDays, FourteenDaysWithTheirBellsOrTheirReason) {
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  // Monday 2026-09-21 is 敬老の日, 09-22 国民の休日, 09-23 秋分の日.
  const auto preview = PreviewDays(Schedule(), Holidays({{9, 24}}, 1), calendar, {2026, 9, 20});
  ASSERT_EQ(preview.size(), 14u);
  EXPECT_EQ(PreviewDateText(preview[0]), "2026/9/20(日)");
  EXPECT_EQ(preview[0].bells.size(), 1u);
  EXPECT_EQ(preview[1].verdict.name, "敬老の日");
  EXPECT_TRUE(preview[1].bells.empty());
  EXPECT_EQ(preview[2].verdict.name, "国民の休日");
  EXPECT_EQ(preview[4].verdict.name, "休日設定");
  EXPECT_EQ(preview[5].bells, BellsOfWeekday(Schedule(), 6));
  EXPECT_EQ(preview[8].weekday, 2);
  EXPECT_EQ(preview[8].bells.size(), 5u);
  EXPECT_EQ(preview[13].date, (CivilDate{2026, 10, 3}));
}

CurrentClock At(CivilDate date, int hour, int minute) {
  return {hour, minute, 0, Weekday(date), date.year, date.month, date.day};
}

TEST(NextBell, SkipsThePassedMinuteAndSilentDays) {
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  const HolidayList none;
  const WeekSchedule schedule = Schedule();
  struct {
    CurrentClock now;
    std::optional<UpcomingBell> bell;
    const char* text;
  } const kCases[] = {
      // Tuesday 2026-09-15 08:29: the common 8:30 bell.
      {At({2026, 9, 15}, 8, 29), UpcomingBell{{2026, 9, 15}, 3, {8, 30, 1}},
       "次のチャイム 8時30分(音1)"},
      // At 8:30 that bell has begun; the next is at noon.
      {At({2026, 9, 15}, 8, 30), UpcomingBell{{2026, 9, 15}, 3, {12, 0, 2}},
       "次のチャイム 12時0分(音2)"},
      // Friday evening: Sunday's own slot.
      {At({2026, 9, 18}, 18, 0), UpcomingBell{{2026, 9, 20}, 1, {10, 0, 7}},
       "次のチャイム 2026/9/20(日) 10時0分(音7)"},
      // Monday 敬老の日 morning: past three holidays to Thursday.
      {At({2026, 9, 21}, 7, 0), UpcomingBell{{2026, 9, 24}, 5, {8, 30, 1}},
       "本日は鳴りません(敬老の日)。次のチャイム 2026/9/24(木) 8時30分(音1)"},
  };
  for (const auto& c : kCases) {
    const NextBellAnswer answer = NextBell(schedule, none, calendar, c.now);
    EXPECT_EQ(answer.bell, c.bell) << c.text;
    EXPECT_EQ(NextBellText(answer, c.now), c.text);
  }
  WeekSchedule reset;
  ResetWeekSchedule(reset);
  const CurrentClock now = At({2026, 9, 15}, 8, 0);
  EXPECT_EQ(NextBellText(NextBell(reset, none, calendar, now), now),
            "62日先まで鳴るチャイムはありません");
}

}  // namespace
}  // namespace tollvane
