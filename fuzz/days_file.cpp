// The imported-days file as read at start: the input is the file beside a settings file that
// does not exist. The days come out ascending and once per date; written back and read again
// they are the same, without a problem.
#include <cstdint>
#include <string>

#include "calendar/school_calendar.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string ini = tollvane::fuzz::ScratchFolder() + "/tollvane.INI";
  tollvane::fuzz::WriteScratchFile("tollvane.days", data, size);
  const tollvane::CalendarReading reading = tollvane::ReadSchoolCalendar(ini);
  const std::vector<tollvane::NamedDay>& days = reading.calendar.importedDays;
  for (std::size_t i = 0; i < days.size(); ++i) {
    FUZZ_CHECK(tollvane::IsValidDate(days[i].date));
    FUZZ_CHECK(i == 0 || days[i - 1].date < days[i].date);
    FUZZ_CHECK(days[i].name.find('\n') == std::string::npos);
  }
  // Written as the import writes it (without the flush to disk, which would slow the runs
  // to a crawl) and read again.
  std::string written = "# Tollvane imported days: YYYY/MM/DD name\n";
  for (const tollvane::NamedDay& day : days)
    written += tollvane::FormatNamedDay(day) + "\n";
  tollvane::fuzz::WriteScratchFile(
      "tollvane.days", reinterpret_cast<const uint8_t*>(written.data()), written.size());
  const tollvane::CalendarReading again = tollvane::ReadSchoolCalendar(ini);
  FUZZ_CHECK(again.calendar.importedDays == days);
  FUZZ_CHECK(again.problems.empty());
  return 0;
}
