// The day plans' and assignments' edits, apart from any window: each change is checked, written
// (the plan file, or the settings file's "CALENDAR" keys) and only then made in memory, so that
// memory and files never part. Errors are the sentence to show; empty means done.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar_edit.h"
#include "calendar/calendar_texts.h"
#include "calendar/school_calendar.h"
#include "engine/week_schedule.h"
#include "plans/day_plan.h"

namespace tollvane {

// The plan file beside this settings file; the plans are read with the rest of the calendar
// (ReadSchoolCalendar), a damaged file leaving calendar.planFileError set.

// Plans. While the plan file is damaged every plan edit is refused with the file's error.
EditError AddPlan(SchoolCalendar& calendar, const std::string& settingsPath, std::string_view name,
                  const std::vector<PlanBell>& bells = {});
// The assignments naming the old name follow the new one.
EditError RenamePlan(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index,
                     std::string_view newName);
EditError SetPlanBells(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index,
                       const std::vector<PlanBell>& bells);
// With removeAssignments the plan's date assignments go too; without, they stay and are reported
// as naming a missing plan (those days ring normally). The window asks which, when
// AssignmentsOfPlan is not zero.
EditError RemovePlan(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index,
                     bool removeAssignments);
int AssignmentsOfPlan(const SchoolCalendar& calendar, std::string_view name);

// A weekday's bells as a plan's: its page, plus the common page from Monday to Friday, by time,
// leaving out slots that cannot ring (0:00 and values off the clock or the sound range); at most
// 48.
std::vector<PlanBell> PlanBellsOfWeekday(const WeekSchedule& schedule, int weekday);

// The operator's decision on a damaged plan file: it is set aside (plan_file.h) and an empty book
// is in use and may be saved.
EditError SetAsideDamagedPlans(SchoolCalendar& calendar, const std::string& settingsPath);

// Assignments. Dates as typed, "YYYY/M/D"; an empty last is the first.
EditError AssignPlan(SchoolCalendar& calendar, const std::string& settingsPath,
                     std::string_view first, std::string_view last, std::string_view plan);
EditError AssignSwap(SchoolCalendar& calendar, const std::string& settingsPath,
                     std::string_view date, int weekday);
EditError AddExtraBell(SchoolCalendar& calendar, const std::string& settingsPath,
                       std::string_view date, const PlanBell& bell);
EditError RemovePlanDays(SchoolCalendar& calendar, const std::string& settingsPath,
                         std::size_t index);
EditError RemoveSwap(SchoolCalendar& calendar, const std::string& settingsPath, std::size_t index);
EditError RemoveExtraBell(SchoolCalendar& calendar, const std::string& settingsPath,
                          std::size_t index);
// The year view's "none" for one date: its swaps and extras go, a one-day plan entry goes, and a
// range holding the date is cut around it (split in two when the date lies inside).
EditError ClearAssignmentsOn(SchoolCalendar& calendar, const std::string& settingsPath,
                             CivilDate date);

// What the dialog says about the assignments, one sentence each: overlapping plan ranges (the
// later entry wins), a plan and a swap on one date, assignments naming a plan that does not exist.
std::vector<std::string> AssignmentNotes(const SchoolCalendar& calendar);

// The verdict order as one line for the dialog.
inline constexpr const char* kVerdictOrderText = text::calendar::kVerdictOrder;

// The answer's bells for the year view's day list, "8時30分(音1)", with the source's name after
// plan, swap and extra bells ("10時35分 (音2) 臨時").
std::vector<std::string> BellTexts(const DayAnswer& answer);

}  // namespace tollvane
