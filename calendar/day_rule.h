// The school calendar as the bell engine's day rule, so the engine's silence and bells and the
// preview's come from the one JudgeDay and AnswerDay.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calendar/day_verdict.h"
#include "engine/interfaces.h"

namespace tollvane {

class CalendarDayRule : public DayRule {
 public:
  explicit CalendarDayRule(const SchoolCalendar& calendar) : calendar_(calendar) {}
  std::optional<std::string> silentReason(const HolidayList& holidays, int year, int month,
                                          int day) const override {
    DayVerdict verdict = JudgeDay(calendar_, holidays, CivilDate{year, month, day});
    if (!verdict.silent) {
      return std::nullopt;
    }
    return std::move(verdict.name);
  }
  // The pages come from the schedule the engine rings (the armed one), so a swap rings the
  // armed pages of its weekday.
  bool assignedBells(const HolidayList& holidays, const WeekSchedule& schedule, int year, int month,
                     int day, std::vector<Bell>& bells) const override;

 private:
  const SchoolCalendar& calendar_;
};

}  // namespace tollvane
