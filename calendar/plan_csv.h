// The year's assignments from the CSV schools keep next to their 年間行事予定, and the year's
// verdicts back out as CSV.
//
// Import: "日付,日課" per line, the date "2027/2/15" or a range "2027/02/15-2027/02/17", the
// second field a plan's name; an optional header line first; Shift_JIS (CP932) or UTF-8 with or
// without a byte-order mark; LF or CR LF; fields may be quoted; blank lines ignored. Whole file
// or nothing: the first line that cannot be read, or that names a plan that does not exist,
// ends it with a message naming the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calendar/calendar_edit.h"
#include "calendar/day_verdict.h"
#include "calendar/school_calendar.h"

namespace tollvane {

inline constexpr std::size_t kMaxPlanCsvBytes = 1024 * 1024;
inline constexpr int kMaxPlanCsvLines = 5000;

struct PlanCsvPreview {
  bool ok = false;
  std::string error;  // set unless ok: "3行目の…。取り込みは行いませんでした。"
  std::vector<PlanDays> planDays;  // in file order
  // Each day the file assigns, ascending, with its verdict once the file is taken in.
  std::vector<DayAnswer> days;
};

// Reads the bytes and previews them against the calendar as it is; nothing changes.
PlanCsvPreview ReadPlanCsv(std::string_view bytes, const SchoolCalendar& calendar,
                           const WeekSchedule& schedule, const HolidayList& holidays);

// Reads the file (at most kMaxPlanCsvBytes, checked before reading) and previews it.
PlanCsvPreview ReadPlanCsvFile(const std::string& filePath, const SchoolCalendar& calendar,
                               const WeekSchedule& schedule, const HolidayList& holidays);

// Appends the previewed entries after the existing ones (so they win where they overlap) and
// writes the settings file; on any failure nothing changes. More than 99 plan entries in all is
// refused.
EditError ApplyPlanCsv(SchoolCalendar& calendar, const std::string& settingsPath,
                       const PlanCsvPreview& preview);

// The year as UTF-8 CSV with a header line "日付,曜日,日課,チャイム数,最初,最後" and one line a
// day: "2027/02/15,月,短縮日課,6,8:30,15:10"; a silent day names its reason and has 0 bells and
// empty times.
std::string YearCsv(const std::vector<DayAnswer>& year);

}  // namespace tollvane
