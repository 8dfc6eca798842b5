// Figures for storing and loading schedule files, small and large. Prints, asserts nothing.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/week_schedule.h"
#include "schedule/schedule_file.h"
#include "support/scratch_folder.h"

namespace {

using tollvane::LineBuffer;

template <typename Work>
double MillisecondsPerRun(int runs, Work work) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < runs; ++i) {
    work();
  }
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / runs;
}

}  // namespace

int main() {
  tollvane::testing::ScratchFolder folder;
  tollvane::WeekSchedule schedule;
  tollvane::ResetWeekSchedule(schedule);
  const std::string small = folder.file("week.txt");

  const double store = MillisecondsPerRun(50, [&] {
    LineBuffer lines;
    tollvane::BuildScheduleLines(schedule, lines);
    tollvane::StoreLines(lines, small);
  });
  std::printf("store 2304-byte schedule (with fsync): %.3f ms\n", store);
  std::printf("@ file.store\t%.2f ms\n", store);

  const double load = MillisecondsPerRun(500, [&] {
    LineBuffer lines;
    tollvane::LoadLines(lines, small);
    tollvane::ParseScheduleRecords(lines, schedule);
  });
  std::printf("load and parse 2304-byte schedule: %.3f ms\n", load);
  std::printf("@ file.load\t%.3f ms\n", load);

  std::string many;
  for (int i = 0; i < 100000; ++i) {
    many += std::to_string(i % 4 == 0 ? 2 : i % 60) + "\r\n";
  }
  tollvane::testing::WriteBytes(folder.file("many.txt"), many);
  const double loadMany = MillisecondsPerRun(10, [&] {
    LineBuffer lines;
    tollvane::LoadLines(lines, folder.file("many.txt"));
    tollvane::ParseScheduleRecords(lines, schedule);
  });
  std::printf("load and parse 100000-line file: %.2f ms\n", loadMany);
  std::printf("@ file.load100k\t%.1f ms\n", loadMany);

  tollvane::testing::WriteBytes(folder.file("long.txt"),
                                "8\r\n" + std::string((16u << 20) - 16, '0') + "7\r\n0\r\n1\r\n");
  const double loadLong = MillisecondsPerRun(5, [&] {
    LineBuffer lines;
    tollvane::LoadLines(lines, folder.file("long.txt"));
    tollvane::ParseScheduleRecords(lines, schedule);
  });
  std::printf("load and parse 16 MiB file with one long line: %.2f ms\n", loadLong);

  tollvane::testing::WriteBytes(folder.file("breaks.txt"), std::string(1u << 20, '\n'));
  const double loadBreaks = MillisecondsPerRun(5, [&] {
    LineBuffer lines;
    tollvane::LoadLines(lines, folder.file("breaks.txt"));
  });
  std::printf("load 1048576 empty lines (the line bound): %.2f ms\n", loadBreaks);
  return 0;
}
