// The CSV of date assignments: the input is the file, read against a calendar that knows two
// plans. A preview it accepts names only plans that exist, ranges in order and every day it
// assigns; a refusal says so and previews nothing.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "calendar/plan_csv.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tollvane;
  static const SchoolCalendar calendar = [] {
    SchoolCalendar c;
    c.plans.plans = {{"短縮日課", {{8, 30, 1}}}, {"ノーチャイム", {}}};
    return c;
  }();
  static const WeekSchedule schedule = [] {
    WeekSchedule s;
    ResetWeekSchedule(s);
    s.at(kCommonTimetable, 1) = {8, 30, 1};
    return s;
  }();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const PlanCsvPreview preview = ReadPlanCsv(bytes, calendar, schedule, HolidayList{});
  if (!preview.ok) {
    FUZZ_CHECK(!preview.error.empty());
    FUZZ_CHECK(preview.planDays.empty() && preview.days.empty());
    return 0;
  }
  FUZZ_CHECK(!preview.planDays.empty());
  std::set<CivilDate> dates;
  for (const PlanDays& days : preview.planDays) {
    FUZZ_CHECK(IsValidDate(days.first) && IsValidDate(days.last) && !(days.last < days.first));
    FUZZ_CHECK(calendar.plans.find(days.plan) != nullptr);
    for (CivilDate d = days.first; d <= days.last; d = AddDays(d, 1)) {
      dates.insert(d);
    }
  }
  FUZZ_CHECK(dates.size() == preview.days.size());
  return 0;
}
