// The one answer to "does this day ring, and if not, why", and what follows from it: the
// bells of the coming days and the next bell. The bell engine, the preview and the next-bell
// line all ask here, so they cannot disagree. The midnight rule is the engine's own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calendar/calendar_texts.h"
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
  // An assignment on the date makes it a school day, after the holiday list only:
  kPlan,        // name: the plan's; silent when the plan has no bells (ノーチャイム)
  kSwap,        // name: "金曜日のチャイム"
  kExtraBells,  // the weekday's pages and extra bells; name: "臨時"
};

struct DayVerdict {
  bool silent = false;
  DayReason reason = DayReason::kSchoolDay;
  // The holiday's, period's, open or imported day's name; "休日設定" for the holiday list.
  std::string name;
  bool operator==(const DayVerdict&) const = default;
};

inline constexpr const char* kHolidayListReason = "休日設定";

// The order, strongest first:
// 1. the HolidayList (entries 1..count): silent, "休日設定";
// 2. an assignment on the date (a plan, a swap or an extra bell) makes it a school day, as an
//    open day does, so a 土曜授業 or a plan on a national holiday rings: a plan rings its bells
//    (none: silent, with the plan's name), else a swap rings the other weekday's pages, and
//    extra bells ring on top of either or of the weekday's own pages. A plan beats a swap on
//    the same date; a plan name no plan has counts as no plan (reported by DayAnswer);
// 3. an open day rings; 4. national holidays (when on), closed periods, imported days are
//    silent; 5. any other day rings its weekday's pages.
// With the calendar off and empty this is the HolidayList rule alone.
DayVerdict JudgeDay(const SchoolCalendar& calendar, const HolidayList& holidays, CivilDate date);

struct RingingBell {
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t sound = 0;
  bool operator==(const RingingBell&) const = default;
};

inline constexpr const char* kNormalPlanName = text::calendar::kNormalPlanName;
inline constexpr const char* kExtraBellName = text::calendar::kExtraBellName;

enum class BellSource {
  kPage,   // the weekday's own pages
  kPlan,   // a day plan's bell
  kSwap,   // another weekday's pages
  kExtra,  // an extra one-off bell
};

struct SourcedBell {
  RingingBell bell;
  BellSource source = BellSource::kPage;
  // Empty for the weekday's own pages; the plan's name, "金曜日のチャイム" or "臨時".
  std::string sourceName;
  int timetable = 0;  // the page of a page or swap bell: 1..7, 8 = common; else 0
  int index = 0;      // the slot on that page, the plan's bell or the date's extra, from 1
  bool operator==(const SourcedBell&) const = default;
};

// The one answer for a date: silent (and why), or the bells that ring and where each comes
// from. On a day rung as the pages stand (no assignment), the bells are BellsOfWeekday's, in
// the tick's order. On an assigned day one bell rings per minute: the plan's or swap's bells
// and the extras in this order, and where several share a minute the last of them rings, as the
// last matching slot's sound is the one heard on a page day. Identical bells thus ring once,
// and an extra replaces what the plan rings in its minute.
struct DayAnswer {
  CivilDate date;
  int weekday = 0;
  DayVerdict verdict;
  std::vector<SourcedBell> bells;  // by time; empty on a silent day
  bool assigned = false;           // an assignment decides the bells
  std::string problem;             // e.g. the plan named on the date does not exist
};

DayAnswer AnswerDay(const WeekSchedule& schedule, const HolidayList& holidays,
                    const SchoolCalendar& calendar, CivilDate date);

// Every day of the year, 1 January first (365 or 366 answers); nothing for a year outside
// 1..9999.
std::vector<DayAnswer> YearAnswers(const WeekSchedule& schedule, const HolidayList& holidays,
                                   const SchoolCalendar& calendar, int year);

// The school year that starts on 1 April of firstYear, to 31 March (365 or 366 answers), as the
// year view shows it and exports it; nothing for a start outside 1..9998.
std::vector<DayAnswer> SchoolYearAnswers(const WeekSchedule& schedule, const HolidayList& holidays,
                                         const SchoolCalendar& calendar, int firstYear);

// The school year a date belongs to, by the year of its 1 April.
inline int SchoolYearOf(CivilDate date) {
  return date.month >= 4 ? date.year : date.year - 1;
}

// The name a window shows for where a day's bells come from: the plan's or swap's name,
// "平常日課" for the weekday's pages, or the reason of a silent day.
std::string DayPlanLabel(const DayAnswer& answer);

// Every slot that rings on a day of that weekday, in the order the tick rings them: by time,
// and within one minute the common timetable (Monday to Friday) before the day's own, each in
// slot order. A slot at 0:00 or outside the clock's range never rings.
std::vector<RingingBell> BellsOfWeekday(const WeekSchedule& schedule, int weekday);

struct PreviewDay {
  CivilDate date;
  int weekday = 0;
  DayVerdict verdict;
  std::vector<RingingBell> bells;    // empty on a silent day
  std::vector<SourcedBell> sourced;  // the same bells with where each comes from
  std::string problem;               // as DayAnswer's
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
  std::string source;  // the bell's plan, swap or extra name; empty for the weekday's pages
};

// The first bell after the current minute (a bell of the current minute has already begun).
NextBellAnswer NextBell(const WeekSchedule& schedule, const HolidayList& holidays,
                        const SchoolCalendar& calendar, const CurrentClock& now);

// The status-line text, e.g. "次のチャイム 8時30分(音3)" today, with the source's name after it
// on an assigned day ("次のチャイム 10時35分(音2) 短縮日課"),
// "本日は鳴りません(元日)。次のチャイム 2027/1/5(火) 8時30分(音3)", or
// "62日先まで鳴るチャイムはありません".
std::string NextBellText(const NextBellAnswer& answer, const CurrentClock& now);

// "2026/1/1(木)".
std::string PreviewDateText(const PreviewDay& day);

// "8時30分(音3)".
std::string BellText(const RingingBell& bell);

}  // namespace tollvane
