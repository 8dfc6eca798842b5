// Time to fill the year view of a busy school year: every slot of the pages set, national
// holidays on, a plan a week, swaps and extra bells each month, offscreen. Prints
// "@ year.fill" (the verdicts, cells and tooltips of the year) and "@ year.paint" (drawing
// the twelve months), in milliseconds.
#include <QApplication>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "busy_school.h"
#include "ui/qt_services.h"
#include "ui/year_dialog.h"
#include "ui/year_view.h"

using namespace tollvane;

namespace {

class NoPrompts : public Prompts {
 public:
  Answer ask(const std::string&, const std::string&, Buttons) override { return Answer::Cancel; }
};

class NoDialogs : public FileDialogs {
 public:
  std::optional<std::string> openSchedule() override { return {}; }
  std::optional<std::string> saveSchedule(const std::string&) override { return {}; }
};

struct Figures {
  double min, median, p99;
};

// The minimum is the cost; the median and p99 add what a shared machine's load does.
template <typename F>
Figures Measure(int runs, F&& f) {
  std::vector<double> ms;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    f();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count());
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2], ms[ms.size() * 99 / 100]};
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const WeekSchedule schedule = bench::FullWeek();
  HolidayList holidays;
  SchoolCalendar calendar;
  calendar.nationalHolidays = true;
  for (int p = 0; p < 10; ++p) {
    DayPlan plan{"日課" + std::to_string(p), {}};
    for (int b = 0; b < (p == 9 ? 0 : kMaxPlanBells); ++b)
      plan.bells.push_back({8 + b / 6, (b * 10) % 60 + 1, b % 10 + 1});
    calendar.plans.plans.push_back(plan);
  }
  for (int week = 0; week < 50; ++week) {
    const CivilDate first = AddDays({2027, 4, 5}, 7 * week);
    calendar.assignments.planDays.push_back(
        {first, AddDays(first, 1), "日課" + std::to_string(week % 10)});
  }
  for (int month = 0; month < 12; ++month) {
    const CivilDate date = AddDays({2027, 4, 10}, 30 * month);
    calendar.assignments.swaps.push_back({AddDays(date, 3), 6});
    calendar.assignments.extraBells.push_back({date, {10, 35, 2}});
  }

  NoPrompts prompts;
  NoDialogs dialogs;
  YearDialog dialog(YearDialogParts{calendar, holidays, "/nonexistent/bench.INI",
                                    [&] { return schedule; },
                                    [] {
                                      return CivilDate{2027, 5, 1};
                                    },
                                    prompts, dialogs});
  dialog.refresh();
  constexpr int kRuns = 200;
  const Figures fill = Measure(kRuns, [&] { dialog.fill(); });
  const Figures paint = Measure(kRuns, [&] { (void)dialog.yearView()->grab(); });
  std::printf("%d fills of %zu days\n", kRuns, dialog.yearView()->cells().size());
  std::printf("@ year.fill\t%.2f / %.2f / %.2f ms\n", fill.min, fill.median, fill.p99);
  std::printf("@ year.paint\t%.2f / %.2f / %.2f ms\n", paint.min, paint.median, paint.p99);
  return 0;
}
