// The one answer to "does this day ring, and if not, why", and what follows from it: the
// bells of the coming days and the next bell. The bell engine, the preview and the next-bell
// line all ask here, so they cannot disagree. The midnight rule is the engine's own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calendar/civil_date.h"
#include "calendar/school_calendar.h"
#include "engine/week_schedule.h"

namespace tollvane {

enum class DayReason {
  kSchoolDay,
  kOpenDay,          // rings although the calendar alone would silence it
  kHolidayList,      // the holiday dialog's month/day entries
  kNationalHoliday,  // computed, with NationalHolidays on
  kClosedPeriod,
  kImportedDay,
};

struct DayVerdict {
  bool silent = false;
  DayReason reason = DayReason::kSchoolDay;
  // The holiday's, period's, open or imported day's name; "休日設定" for the holiday list.
  std::string name;
  bool operator==(const DayVerdict&) const = default;
};

inline constexpr const char* kHolidayListReason = "休日設定";

// The HolidayList (entries 1..count) is strongest; an open day overrides the national
// holidays, closed periods and imported days. With the calendar off and empty this is the
// HolidayList rule alone.
DayVerdict JudgeDay(const SchoolCalendar& calendar, const HolidayList& holidays, CivilDate date);

struct RingingBell {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t sound = 0;
  bool operator==(const RingingBell&) const = default;
};

// Every slot that rings on a day of that weekday, in the order the tick rings them: by time,
// and within one minute the common timetable (Monday to Friday) before the day's own, each in
// slot order. A slot at 0:00 or outside the clock's range never rings.
std::vector<RingingBell> BellsOfWeekday(const WeekSchedule& schedule, int weekday);

struct PreviewDay {
  CivilDate date;
  int weekday = 0;
  DayVerdict verdict;
  std::vector<RingingBell> bells;  // empty on a silent day
};

inline constexpr int kPreviewDays = 14;

std::vector<PreviewDay> PreviewDays(const WeekSchedule& schedule, const HolidayList& holidays,
                                    const SchoolCalendar& calendar, CivilDate from,
                                    int days = kPreviewDays);

// How far the next-bell line looks: past any summer vacation.
inline constexpr int kNextBellHorizonDays = 62;

struct UpcomingBell {
  CivilDate date;
  int weekday = 0;
  RingingBell bell;
  bool operator==(const UpcomingBell&) const = default;
};

struct NextBellAnswer {
  std::optional<UpcomingBell> bell;  // nothing within the horizon
  DayVerdict today;
};

// The first bell after the current minute (a bell of the current minute has already begun).
NextBellAnswer NextBell(const WeekSchedule& schedule, const HolidayList& holidays,
                        const SchoolCalendar& calendar, const CurrentClock& now);

// The status-line text, e.g. "次のチャイム 8時30分(音3)" today,
// "本日は鳴りません(元日)。次のチャイム 2027/1/5(火) 8時30分(音3)", or
// "62日先まで鳴るチャイムはありません".
std::string NextBellText(const NextBellAnswer& answer, const CurrentClock& now);

// "2026/1/1(木)".
std::string PreviewDateText(const PreviewDay& day);

// "8時30分(音3)".
std::string BellText(const RingingBell& bell);

}  // namespace tollvane
