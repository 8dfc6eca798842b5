// The iCalendar reader: the input is the file, read with the program's limits. Recurring events
// stop at the horizon; an accepted file's days are what the import plan would show.
#include <cstdint>
#include <string_view>

#include "day_file_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tollvane::ImportLimits limits = tollvane::fuzz::FuzzLimits();
  const tollvane::ImportOutcome outcome = tollvane::ReadICalendar(bytes, {2036, 12, 31}, limits);
  tollvane::fuzz::CheckOutcome(outcome, limits);
  for (const tollvane::NamedDay& day : outcome.days)
    FUZZ_CHECK(day.date.year >= 1900 && day.date.year <= 9999);

  const tollvane::ImportPlan plan =
      tollvane::PlanDayImport(tollvane::SchoolCalendar{}, tollvane::HolidayList{}, outcome);
  FUZZ_CHECK(plan.outcome.days.size() == outcome.days.size());
  FUZZ_CHECK(plan.ringsToday.size() == plan.outcome.days.size());
  FUZZ_CHECK(tollvane::ImportPlanLines(plan).size() == plan.outcome.days.size());
  return 0;
}
