// Readers of the holiday lists schools are given: the Cabinet Office's holiday CSV and
// iCalendar files. A reader takes a whole file or nothing: the first line it cannot read
// ends it with a Japanese message that names the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "calendar/school_calendar.h"

namespace tollvane {

struct ImportOutcome {
  bool ok = false;
  std::vector<NamedDay> days;  // in file order; empty unless ok
  std::string error;           // set unless ok
  int skippedTimedEvents = 0;  // iCalendar events with a time of day, which close no day
};

// "YYYY/M/D,名称" lines after an optional header line; Shift_JIS (CP932) or UTF-8 with or
// without a byte-order mark; LF or CR LF; blank lines ignored; fields may be quoted.
ImportOutcome ReadHolidayCsv(std::string_view bytes);

// All-day VEVENTs: DTSTART;VALUE=DATE, DTEND exclusive (a missing DTEND is one day), the
// SUMMARY as the name. Recurring events are expanded up to and including expandThrough,
// without their EXDATEs and the instances a RECURRENCE-ID event moves; cancelled events and
// events with a time of day close no day.
ImportOutcome ReadICalendar(std::string_view bytes, CivilDate expandThrough);

// An iCalendar file when it starts with BEGIN:VCALENDAR, else the CSV.
ImportOutcome ReadDayFile(std::string_view bytes, CivilDate expandThrough);

// Reads the file and merges its days into calendar.importedDays and the imported-days file
// beside the settings file. The outcome's days are the new ones only, so importing the same
// file again adds nothing. On any failure nothing changes, in memory or on disk.
ImportOutcome ImportDayFile(SchoolCalendar& calendar, const std::string& settingsPath,
                            const std::string& filePath, CivilDate expandThrough);

}  // namespace tollvane
