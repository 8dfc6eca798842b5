// The school's own calendar: national holidays on or off, closed periods, open days and the
// imported days, kept in the settings file's "CALENDAR" section and, for the imported days,
// in a file of their own beside the settings file.
//
// "CALENDAR" keys (values in UTF-8):
//   NationalHolidays=1                       1 on; 0, missing or anything else off
//   Closed1=2026/07/20-2026/08/31 夏休み      both ends included; Closed1..Closed99
//   Open1=2026/11/03 文化祭                   Open1..Open99
//   Plan1=, Swap1=, Extra1=                   the day plans' keys (calendar/day_assignments.h)
// Keys may have gaps; an empty value is no entry.
//
// The day plans themselves live in their own file beside the settings file (plans/plan_file.h).
//
// The imported-days file (ImportedDaysPath): UTF-8 text, one day a line, "YYYY/MM/DD name",
// ascending and one line per date; blank lines and lines starting with "#" are ignored. A hand
// edit may leave the lines in any order or doubled: the first line of a date counts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/civil_date.h"
#include "calendar/day_assignments.h"
#include "plans/day_plan.h"

namespace tollvane {

inline constexpr int kMaxCalendarEntries = 99;

struct ClosedPeriod {
  CivilDate first;
  CivilDate last;
  std::string name;
  bool operator==(const ClosedPeriod&) const = default;
};

struct NamedDay {
  CivilDate date;
  std::string name;
  bool operator==(const NamedDay&) const = default;
};

struct SchoolCalendar {
  bool nationalHolidays = false;
  std::vector<ClosedPeriod> closedPeriods;
  std::vector<NamedDay> openDays;
  std::vector<NamedDay> importedDays;  // ascending, one per date
  DayAssignments assignments;
  PlanBook plans;
  // Set when the plan file could not be read: the book is empty and nothing writes the file
  // until the operator decides (SetAsideDamagedPlans).
  std::string planFileError;
  bool operator==(const SchoolCalendar&) const = default;
};

// A value that could not be used: where it was ("Closed3", or the imported-days file and its
// line number) and its text. The value is left out; the rest of the calendar still counts.
struct CalendarProblem {
  std::string where;
  std::string text;
  bool operator==(const CalendarProblem&) const = default;
};

struct CalendarReading {
  SchoolCalendar calendar;
  std::vector<CalendarProblem> problems;
};

// A line of a user's file as a message quotes it: at most its first 80 bytes (whole
// characters, then "…"), control characters as blanks.
std::string QuotedLine(std::string_view line);

// The problems as one message for the operator, a line per value; empty when there are none.
std::string ProblemReport(const std::vector<CalendarProblem>& problems);

// The settings path with its extension replaced by ".days" (appended when it has none).
std::string ImportedDaysPath(const std::string& settingsPath);

// Missing files and keys are no problem: they read as an empty calendar, switched off.
CalendarReading ReadSchoolCalendar(const std::string& settingsPath);

// The "CALENDAR" keys in one replacement of the settings file: NationalHolidays, then
// Closed1..ClosedN and Open1..OpenN in order; keys beyond them are deleted, so a removed
// entry cannot come back. A key whose value cannot be read (a hand-written typo, reported at
// start) stays as it is and its number is skipped, and so does an unreadable NationalHolidays
// while the calendar has it off: an edit never turns a typo into a deletion. Everything else
// in the file stays. False, with the file unchanged, when it cannot be written, a name holds
// a line break or the entries and the kept keys do not fit into 99 numbers.
bool WriteCalendarSettings(const std::string& settingsPath, const SchoolCalendar& calendar);

// Saves the imported-days file by the settings file's rules (SaveFileBytes), so it can be
// written wherever the settings can. False when it cannot be written.
bool WriteImportedDays(const std::string& settingsPath, const std::vector<NamedDay>& days);

// Calendar files (imports, the imported-days file) are small; anything larger is not one.
inline constexpr std::size_t kMaxCalendarFileBytes = 4 * 1024 * 1024;

// The texts as stored, for the dialog's lists as well.
std::string FormatClosedPeriod(const ClosedPeriod& period);
std::string FormatNamedDay(const NamedDay& day);
// Parsing them back; nothing for a text that does not fit (an end before the start, an
// impossible date, no name is fine).
std::optional<ClosedPeriod> ParseClosedPeriod(std::string_view text);
std::optional<NamedDay> ParseNamedDay(std::string_view text);

// Adds days to the sorted list, keeping one per date (the name already there wins, then the
// first of days), and returns how many were new. Sorts and merges, so a list in any order
// costs n log n.
int MergeDays(std::vector<NamedDay>& into, const std::vector<NamedDay>& days);

}  // namespace tollvane
