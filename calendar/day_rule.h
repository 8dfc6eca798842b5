// The school calendar as the bell engine's day rule, so the engine's silence and the preview's
// come from the one JudgeDay.
#pragma once

#include <optional>
#include <string>

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

 private:
  const SchoolCalendar& calendar_;
};

}  // namespace tollvane
