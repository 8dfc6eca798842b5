// Readers of the holiday lists schools are given: the Cabinet Office's holiday CSV and
// iCalendar files. A reader takes a whole file or nothing: the first line it cannot read
// ends it with a Japanese message that names the line. Every reader's cost is bounded by the
// file's size and by ImportLimits, whatever the file holds.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/school_calendar.h"
#include "engine/week_schedule.h"

namespace tollvane {

struct ImportLimits {
  // Distinct days one file may bring; more is refused, naming the number.
  int maxDays = 5000;
  // Dates one recurring event may produce before its expandThrough.
  int maxOccurrences = 5000;
  // Recurrence steps and the time spent laying out all recurring events of one file.
  int maxSteps = 50000;
  std::chrono::milliseconds expansionTime{500};
  std::function<std::chrono::steady_clock::time_point()> clock = std::chrono::steady_clock::now;
};

struct ImportOutcome {
  bool ok = false;
  std::vector<NamedDay> days;  // one per date, in file order; empty unless ok
  std::string error;           // set unless ok
  int skippedTimedEvents = 0;  // iCalendar events with a time of day, which close no day
  // Recurring events that go on after expandThrough, laid out only up to it.
  int cutRecurrences = 0;
  CivilDate expandedThrough;
};

// "YYYY/M/D,名称" lines after an optional header line (a first line whose first field does
// not look like a date); Shift_JIS (CP932) or UTF-8 with or without a byte-order mark; LF or
// CR LF; blank lines ignored; fields may be quoted. A date listed twice keeps its first name.
ImportOutcome ReadHolidayCsv(std::string_view bytes, const ImportLimits& limits = {});

// All-day VEVENTs of every VCALENDAR in the file: DTSTART;VALUE=DATE, DTEND exclusive (a
// missing DTEND is one day), the SUMMARY as the name. Recurring events (RRULE, RDATE) are
// expanded up to and including expandThrough, without their EXDATEs and the instances a
// RECURRENCE-ID event moves; cancelled events and events with a time of day close no day.
// Components other than events are skipped unread; nesting deeper than four levels, a rule
// finer than a day, a start before 1900 and anything past the limits refuse the file.
ImportOutcome ReadICalendar(std::string_view bytes, CivilDate expandThrough,
                            const ImportLimits& limits = {});

// An iCalendar file when it starts with BEGIN:VCALENDAR, else the CSV.
ImportOutcome ReadDayFile(std::string_view bytes, CivilDate expandThrough,
                          const ImportLimits& limits = {});

// The file at filePath read whole (at most kMaxCalendarFileBytes, checked before reading).
ImportOutcome ReadDayFileAt(const std::string& filePath, CivilDate expandThrough,
                            const ImportLimits& limits = {});

// What an import would do, shown to the operator before anything is stored.
struct ImportPlan {
  ImportOutcome outcome;  // days: only those not imported yet, ascending
  // Per day of outcome.days: a day that rings today by the calendar's verdict, which the
  // import would silence.
  std::vector<bool> ringsToday;
};

ImportPlan PlanDayImport(const SchoolCalendar& calendar, const HolidayList& holidays,
                         ImportOutcome read);

// The question put to the operator, and one line per day: "2026/6/1(月) 開校記念日", with
// " (今は休日ではありません)" on a day that rings today.
std::string ImportPlanQuestion(const ImportPlan& plan);
std::vector<std::string> ImportPlanLines(const ImportPlan& plan);

// Stores the plan's days in calendar.importedDays and the imported-days file beside the
// settings file. Empty when done; else the message, and nothing changed.
std::string ApplyDayImport(SchoolCalendar& calendar, const std::string& settingsPath,
                           const ImportPlan& plan);

// Reads the file and merges its days into calendar.importedDays and the imported-days file
// beside the settings file, without asking. The outcome's days are the new ones only,
// ascending, so importing the same file again adds nothing. On any failure nothing changes,
// in memory or on disk.
ImportOutcome ImportDayFile(SchoolCalendar& calendar, const std::string& settingsPath,
                            const std::string& filePath, CivilDate expandThrough,
                            const ImportLimits& limits = {});

}  // namespace tollvane
