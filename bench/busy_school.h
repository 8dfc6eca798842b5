// The busy school the calendar benchmarks answer for.
#pragma once

#include "engine/week_schedule.h"

namespace tollvane::bench {

// Every slot of the eight pages set, in reverse order of time, so that a merge has to sort.
inline WeekSchedule FullWeek() {
  WeekSchedule schedule;
  for (int timetable = 1; timetable <= kTimetableCount; ++timetable) {
    for (int slot = 1; slot <= kSlotsPerTimetable; ++slot)
      schedule.at(timetable, slot) = {7 + (24 - slot) / 2, (slot * 7) % 60, slot % 10 + 1};
  }
  return schedule;
}

// A holiday list filled to its capacity.
inline HolidayList FullHolidayList() {
  HolidayList holidays;
  holidays.count = kHolidayCapacity;
  for (int n = 1; n <= kHolidayCapacity; ++n) {
    holidays.at(n).month = n % 12 + 1;
    holidays.at(n).day = n % 28 + 1;
  }
  return holidays;
}

}  // namespace tollvane::bench
