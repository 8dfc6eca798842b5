#include "lifecycle/next_bell_line.h"

#include <exception>

#include "calendar/calendar_texts.h"
#include "calendar/day_verdict.h"
#include "schedule/tabs.h"

namespace tollvane {

WeekSchedule PreviewSchedule(bool armed, const WeekSchedule& armedSchedule,
                             const PageTexts& pages) {
  if (armed) {
    return armedSchedule;
  }
  WeekSchedule gathered;
  ResetWeekSchedule(gathered);
  try {
    GatherAllTabs(gathered, pages);
  } catch (const std::exception&) {
  }
  return gathered;
}

std::string NextBellLine(bool armed, const WeekSchedule& armedSchedule, const HolidayList& holidays,
                         const SchoolCalendar& calendar, const CurrentClock& now,
                         bool clockUnsynchronised) {
  if (!armed) {
    return text::calendar::kNotArmed;
  }
  std::string line = NextBellText(NextBell(armedSchedule, holidays, calendar, now), now);
  if (clockUnsynchronised) {
    line += kClockNotSetNote;
  }
  return line;
}

}  // namespace tollvane
