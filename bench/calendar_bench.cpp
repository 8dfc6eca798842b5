// Time to compute the 14-day preview over a full week schedule and a busy calendar: every
// slot of all eight timetables set, national holidays on, closed periods, open days, a year of
// imported days and a full holiday list. Prints "@ calendar.preview" in microseconds per day.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "busy_school.h"
#include "calendar/day_verdict.h"

using namespace tollvane;

int main() {
  const WeekSchedule schedule = bench::FullWeek();
  const HolidayList holidays = bench::FullHolidayList();
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  for (int i = 0; i < 20; ++i) {
    calendar.closedPeriods.push_back(
        {{2026 + i / 4, 3 + i % 4 * 2, 1}, {2026 + i / 4, 3 + i % 4 * 2, 14}, "休み"});
    calendar.openDays.push_back({{2026, 1 + i % 12, 10 + i % 15}, "登校日"});
  }
  std::vector<NamedDay> imported;
  for (int i = 0; i < 365; i += 3) {
    imported.push_back({AddDays({2026, 1, 1}, i), "行事"});
  }
  MergeDays(calendar.importedDays, imported);

  constexpr int kRuns = 2000;
  std::vector<double> perDayUs;
  perDayUs.reserve(kRuns);
  std::size_t bells = 0;
  for (int run = 0; run < kRuns; ++run) {
    const CivilDate from = AddDays({2026, 1, 1}, run % 365);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<PreviewDay> preview = PreviewDays(schedule, holidays, calendar, from);
    const auto end = std::chrono::steady_clock::now();
    for (const PreviewDay& day : preview) {
      bells += day.bells.size();
    }
    perDayUs.push_back(std::chrono::duration<double, std::micro>(end - start).count() /
                       kPreviewDays);
  }
  std::sort(perDayUs.begin(), perDayUs.end());
  const double median = perDayUs[perDayUs.size() / 2];
  const double p99 = perDayUs[perDayUs.size() * 99 / 100];
  std::printf("%d previews of %d days, %zu bells listed\n", kRuns, kPreviewDays, bells);
  std::printf("@ calendar.preview\t%.2f / %.2f us per day (median / p99)\n", median, p99);
  return 0;
}
