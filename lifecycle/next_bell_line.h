// What the calendar preview and the next-bell line show: while armed the armed schedule, else
// the pages as arming would take them.
#pragma once

#include <string>

#include "calendar/school_calendar.h"
#include "engine/week_schedule.h"
#include "lifecycle/lifecycle_texts.h"
#include "schedule/page_texts.h"

namespace tollvane {

// A drop-down that does not convert leaves the rest of its page out, as it would stop the
// arming there.
WeekSchedule PreviewSchedule(bool armed, const WeekSchedule& armedSchedule, const PageTexts& pages);

// The next-bell line; clockUnsynchronised appends that the clock is not being set.
std::string NextBellLine(bool armed, const WeekSchedule& armedSchedule, const HolidayList& holidays,
                         const SchoolCalendar& calendar, const CurrentClock& now,
                         bool clockUnsynchronised);

inline constexpr const char* kClockNotSetNote = text::lifecycle::kClockNotSetNote;

}  // namespace tollvane
