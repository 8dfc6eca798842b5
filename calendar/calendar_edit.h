// The calendar dialog's rules, apart from its window: each change is checked, written to the
// settings file and only then made in memory, so that memory and file never part.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "calendar/day_import.h"
#include "calendar/day_verdict.h"
#include "calendar/school_calendar.h"

namespace tollvane {

// Empty when the change was made; else the message to show, and nothing changed.
using EditError = std::string;

EditError SetNationalHolidays(SchoolCalendar& calendar, const std::string& settingsPath, bool on);
// Dates as the operator types them, "YYYY/M/D".
EditError AddClosedPeriod(SchoolCalendar& calendar, const std::string& settingsPath,
                          std::string_view first, std::string_view last, std::string_view name);
EditError RemoveClosedPeriod(SchoolCalendar& calendar, const std::string& settingsPath,
                             std::size_t index);
EditError AddOpenDay(SchoolCalendar& calendar, const std::string& settingsPath,
                     std::string_view date, std::string_view name);
EditError RemoveOpenDay(SchoolCalendar& calendar, const std::string& settingsPath,
                        std::size_t index);
EditError ClearImportedDays(SchoolCalendar& calendar, const std::string& settingsPath);

// What the import reports to the operator when it succeeded, with how far recurring events
// were laid out and how to take the later ones.
std::string ImportReport(const ImportOutcome& outcome);

// One preview entry per day: the date, a summary (how many bells, or why the day is silent:
// "鳴りません(元日)") and the bells in ringing order ("8時30分(音1)").
struct PreviewRow {
  std::string date;
  std::string summary;
  std::vector<std::string> bells;
};
std::vector<PreviewRow> PreviewRows(const std::vector<PreviewDay>& days);

}  // namespace tollvane
