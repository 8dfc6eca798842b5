// Time to answer a whole year, day by day, with its bells and their sources: a full week
// schedule, a busy calendar, a plan book of 20 plans of 48 bells, 99 plan ranges, 99 swaps and
// 99 extra bells. The year view fills from this answer. Prints "@ plans.year" in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "busy_school.h"
#include "calendar/day_verdict.h"
#include "calendar/plan_csv.h"

using namespace tollvane;

int main() {
  const WeekSchedule schedule = bench::FullWeek();
  const HolidayList holidays = bench::FullHolidayList();
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  for (int i = 0; i < 20; ++i) {
    calendar.closedPeriods.push_back(
        {{2027, 1 + i % 12, 1 + i}, {2027, 1 + i % 12, 3 + i}, "休み"});
    calendar.openDays.push_back({{2027, 1 + i % 12, 10 + i % 15}, "登校日"});
    DayPlan plan{"日課" + std::to_string(i), {}};
    for (int b = 0; b < kMaxPlanBells; ++b) {
      plan.bells.push_back({7 + (47 - b) / 4, (b * 13) % 60, 1 + b % 10});
    }
    calendar.plans.plans.push_back(std::move(plan));
  }
  for (int i = 0; i < kMaxCalendarEntries; ++i) {
    const CivilDate first = AddDays({2027, 1, 1}, i * 3);
    // Every fifth entry names a plan that does not exist.
    calendar.assignments.planDays.push_back(
        {first, AddDays(first, i % 4), i % 5 == 0 ? "ない日課" : "日課" + std::to_string(i % 20)});
    calendar.assignments.swaps.push_back({AddDays({2027, 1, 2}, i * 3), 1 + i % 7});
    calendar.assignments.extraBells.push_back(
        {AddDays({2027, 1, 1}, i * 2), {10 + i % 8, (i * 11) % 60, 1 + i % 10}});
  }

  constexpr int kRuns = 200;
  std::vector<double> yearMs;
  yearMs.reserve(kRuns);
  std::size_t bells = 0;
  std::size_t csvBytes = 0;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<DayAnswer> year = YearAnswers(schedule, holidays, calendar, 2027 + run % 2);
    const auto end = std::chrono::steady_clock::now();
    for (const DayAnswer& day : year) {
      bells += day.bells.size();
    }
    if (run == 0) {
      csvBytes = YearCsv(year).size();
    }
    yearMs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(yearMs.begin(), yearMs.end());
  std::printf("%d years answered, %zu bells, CSV of one year %zu bytes\n", kRuns, bells, csvBytes);
  std::printf("@ plans.year\t%.2f / %.2f ms per year (median / p99)\n", yearMs[yearMs.size() / 2],
              yearMs[yearMs.size() * 99 / 100]);
  return 0;
}
